#include "service/AigcSettings.h"

#include "host/QOVPaths.h"
#include "host/QOVProfile.h"

#include <initializer_list>
#include <mutex>
#include <utility>

namespace {

// Buffer of the original platform's reader: 254 characters and a terminator.
constexpr unsigned kValueBuffer = 255;

using KeyField = std::pair<const char*, utility::string_t*>;

void ReadSection(const char* section, std::initializer_list<KeyField> keys)
{
    const QString path = AigcSettingsPath();
    for (const KeyField& key : keys) {
        QString value;
        GetPrivateProfileStringW(QLatin1String(section), QLatin1String(key.first), QString(), value, kValueBuffer,
                                 path);
        *key.second = value.toStdString();
    }
}

template <typename Record, typename Fill>
const Record& LoadOnce(Fill fill)
{
    static Record record;
    static std::once_flag loaded;
    std::call_once(loaded, [&] { fill(record); });
    return record;
}

} // namespace

const TokenSettings& LoadTokenSettings()
{
    return LoadOnce<TokenSettings>([](TokenSettings& r) { ReadSection("Token", {{"URL", &r.URL}}); });
}

const CopywritingSettings& LoadCopywritingSettings()
{
    return LoadOnce<CopywritingSettings>([](CopywritingSettings& r) {
        ReadSection("Copywriting", {{"URL", &r.URL}, {"APIKey", &r.APIKey}, {"SecretKey", &r.SecretKey}});
    });
}

const TranslateSettings& LoadTranslateSettings()
{
    return LoadOnce<TranslateSettings>([](TranslateSettings& r) { ReadSection("Translate", {{"URL", &r.URL}}); });
}

const Txt2AudioSettings& LoadTxt2AudioSettings()
{
    return LoadOnce<Txt2AudioSettings>([](Txt2AudioSettings& r) {
        ReadSection("Txt2Audio", {{"URL", &r.URL},
                                  {"URLS", &r.URLS},
                                  {"APIKey", &r.APIKey},
                                  {"SecretKey", &r.SecretKey},
                                  {"Cuid", &r.Cuid}});
    });
}

const Txt2ImgSettings& LoadTxt2ImgSettings()
{
    return LoadOnce<Txt2ImgSettings>([](Txt2ImgSettings& r) {
        ReadSection("Txt2Img", {{"URL", &r.URL}, {"APIKey", &r.APIKey}, {"SecretKey", &r.SecretKey}});
    });
}

const Audio2TxtSettings& LoadAudio2TxtSettings()
{
    return LoadOnce<Audio2TxtSettings>([](Audio2TxtSettings& r) {
        ReadSection("Audio2Txt", {{"URL", &r.URL},
                                  {"URLS", &r.URLS},
                                  {"APIKey", &r.APIKey},
                                  {"SecretKey", &r.SecretKey},
                                  {"Cuid", &r.Cuid},
                                  {"WordTimes", &r.WordTimes}});
    });
}

const FileTranscriptionSettings& LoadFileTranscriptionSettings()
{
    return LoadOnce<FileTranscriptionSettings>(
        [](FileTranscriptionSettings& r) { ReadSection("FileTranscription", {{"URL", &r.URL}}); });
}

const ObjectStoreSettings& LoadObjectStoreSettings()
{
    return LoadOnce<ObjectStoreSettings>([](ObjectStoreSettings& r) {
        ReadSection("ObjectStore", {{"Endpoint", &r.Endpoint},
                                    {"AccessKeyId", &r.AccessKeyId},
                                    {"SecretAccessKey", &r.SecretAccessKey},
                                    {"Bucket", &r.Bucket}});
    });
}
