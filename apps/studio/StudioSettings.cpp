#include "apps/studio/StudioSettings.h"

#include "host/QOVPaths.h"
#include "host/QOVProfile.h"

namespace StudioSettings {

namespace {

const QString kFileName = QStringLiteral("/studio.ini");
const QString kCaptionSection = QStringLiteral("Captions");
const QString kMaxChars = QStringLiteral("MaxChars");
const QString kMaxLines = QStringLiteral("MaxLines");
const QString kMaxSeconds = QStringLiteral("MaxSeconds");
constexpr unsigned kValueSize = 64;

} // namespace

QString Path()
{
    return ZuGetPath(ZU_PATH_CONFIG) + kFileName;
}

CaptionLayout::Limits CaptionLimits()
{
    const QString path = Path();
    CaptionLayout::Limits limits;
    limits.maxChars = GetPrivateProfileIntW(kCaptionSection, kMaxChars, limits.maxChars, path);
    limits.maxLines = GetPrivateProfileIntW(kCaptionSection, kMaxLines, limits.maxLines, path);
    QString seconds;
    GetPrivateProfileStringW(kCaptionSection, kMaxSeconds, QString(), seconds, kValueSize, path);
    bool ok = false;
    const double value = seconds.toDouble(&ok);
    if (ok && value > 0.0)
        limits.maxSeconds = value;
    return limits;
}

bool SetCaptionLimits(const CaptionLayout::Limits& limits)
{
    const QString path = Path();
    ZuCreateDirectory(ZuGetPath(ZU_PATH_CONFIG), 0);
    bool written = WritePrivateProfileStringW(kCaptionSection, kMaxChars, QString::number(limits.maxChars), path);
    written = WritePrivateProfileStringW(kCaptionSection, kMaxLines, QString::number(limits.maxLines), path) && written;
    return WritePrivateProfileStringW(kCaptionSection, kMaxSeconds, QString::number(limits.maxSeconds), path) &&
           written;
}

} // namespace StudioSettings
