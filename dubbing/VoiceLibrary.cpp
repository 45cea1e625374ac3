#include "dubbing/VoiceLibrary.h"

#include "dubbing/VoiceInfo.h"
#include "host/QOVPaths.h"

#include <QFile>

#include <tinyxml.h>

namespace {

int32_t IntAttribute(const TiXmlElement& element, const char* name)
{
    int value = 0;
    if (element.QueryIntAttribute(name, &value) != TIXML_SUCCESS)
        return 0;
    return int32_t(value);
}

QString TextAttribute(const TiXmlElement& element, const char* name)
{
    const char* value = element.Attribute(name);
    return value ? QString::fromUtf8(value) : QString();
}

} // namespace

namespace VoiceLibrary {

QString Folder()
{
    return ZuGetPath(ZU_PATH_APP_ROOT) + QLatin1String(kFolder);
}

QList<VoiceInfo*> Read(const QString& folder)
{
    QFile file(folder + QLatin1String(kFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return Parse(file.readAll(), folder);
}

QList<VoiceInfo*> Parse(const QByteArray& xml, const QString& folder)
{
    TiXmlDocument document;
    document.Parse(xml.constData(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error())
        return {};
    const TiXmlElement* root = document.RootElement();
    if (!root)
        return {};
    QList<VoiceInfo*> voices;
    for (const TiXmlElement* element = root->FirstChildElement(); element; element = element->NextSiblingElement()) {
        auto* voice = new VoiceInfo;
        voice->basic = IntAttribute(*element, "Basic");
        voice->id = IntAttribute(*element, "ID");
        voice->name = TextAttribute(*element, "Name").replace(QStringLiteral("\\r\\n"), QStringLiteral("\r\n"));
        if (const QString preview = TextAttribute(*element, "Preview"); !preview.isEmpty())
            voice->preview.CreateFromFile(folder + preview);
        voice->audio = folder + TextAttribute(*element, "Audio");
        voices.append(voice);
    }
    return voices;
}

void Free(QList<VoiceInfo*>& voices)
{
    while (!voices.isEmpty())
        delete voices.takeLast();
}

} // namespace VoiceLibrary
