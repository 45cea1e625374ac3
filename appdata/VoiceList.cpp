#include "VoiceList.h"

#include <QFile>
#include <QXmlStreamReader>

QList<VoiceEntry> ReadVoiceList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QList<VoiceEntry> voices;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token != QXmlStreamReader::StartElement)
            continue;
        // The root's children are the voices.
        if (++depth != 2)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        VoiceEntry voice;
        voice.id = attributes.value(QLatin1String("ID")).toInt();
        voice.female = attributes.value(QLatin1String("Gender")) == QLatin1String("female");
        voice.name = attributes.value(QLatin1String("Name")).toString().replace(QStringLiteral("\\r\\n"), QStringLiteral(" "));
        voice.preview = attributes.value(QLatin1String("Preview")).toString();
        voice.audio = attributes.value(QLatin1String("Audio")).toString();
        voices.append(voice);
    }
    return xml.hasError() ? QList<VoiceEntry>() : voices;
}
