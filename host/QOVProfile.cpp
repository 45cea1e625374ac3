#include "host/QOVProfile.h"

#include "host/ProfileText.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <optional>

namespace {

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ProfileText::Lines(file.readAll());
}

std::optional<QString> FindValue(const QString& section, const QString& key, const QString& path)
{
    return ProfileText::Find(ReadLines(path), section, key);
}

} // namespace

unsigned GetPrivateProfileStringW(const QString& section, const QString& key, const QString& defaultValue,
                                  QString& out, unsigned size, const QString& path)
{
    if (size == 0) {
        out.clear();
        return 0;
    }
    const std::optional<QString> found = FindValue(section, key, path);
    out = (found ? *found : defaultValue.trimmed()).left(size - 1);
    return unsigned(out.size());
}

int GetPrivateProfileIntW(const QString& section, const QString& key, int defaultValue, const QString& path)
{
    const std::optional<QString> found = FindValue(section, key, path);
    if (!found)
        return defaultValue;
    static const QRegularExpression leadingNumber(QStringLiteral("^[+-]?[0-9]*"));
    bool ok = false;
    const long long value = leadingNumber.match(*found).captured().toLongLong(&ok);
    if (!ok)
        return 0;
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool WritePrivateProfileStringW(const QString& section, const QString& key, const QString& value,
                                const QString& path)
{
    const std::optional<QStringList> lines = ProfileText::WithValue(ReadLines(path), section, key, value);
    if (!lines)
        return true;
    // The module's settings files hold keys: a new one is its user's alone, and one that others
    // could read is closed to them by the next write. The temporary file has its mode before it
    // has a byte of the key.
    constexpr QFileDevice::Permissions kOwner = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner | QFileDevice::ReadUser |
                                                QFileDevice::WriteUser | QFileDevice::ExeUser;
    const QFileDevice::Permissions mode = QFile::exists(path)
                                              ? QFile::permissions(path) & kOwner
                                              : QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(mode))
        return false;
    file.write(lines->join(QLatin1Char('\n')).toUtf8() + '\n');
    return file.commit();
}
