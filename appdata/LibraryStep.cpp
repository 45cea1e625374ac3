#include "LibraryStep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QXmlStreamReader>

#include <cstdio>

namespace {

// Empty when the file cannot be read or holds no entry.
QList<QXmlStreamAttributes> ReadEntries(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QList<QXmlStreamAttributes> entries;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token == QXmlStreamReader::StartElement && ++depth == 2)
            entries.append(xml.attributes());
    }
    return xml.hasError() ? QList<QXmlStreamAttributes>() : entries;
}

} // namespace

int LibraryStep::Run(int argc, char** argv, const char* program, const char* kind, const QString& fileAttribute,
                     const Make& make)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s %s_XML FOLDER\n", program, QByteArray(kind).toUpper().constData());
        return 2;
    }
    const QList<QXmlStreamAttributes> entries = ReadEntries(QString::fromLocal8Bit(argv[1]));
    if (entries.isEmpty()) {
        std::fprintf(stderr, "%s: no %ss in %s\n", program, kind, argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString file = entries[i].value(fileAttribute).toString();
        if (file.isEmpty())
            continue;
        const QString path = folder.filePath(file);
        QDir().mkpath(QFileInfo(path).path());
        const QString failure = make(entries[i], int(i), int(entries.size()), path);
        if (!failure.isEmpty()) {
            std::fprintf(stderr, "%s: %s\n", program, qPrintable(failure));
            return 1;
        }
    }
    return 0;
}
