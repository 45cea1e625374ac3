// Recognised sentences come from a service: any times (negative, reversed, huge) and any text must
// give a well-formed block per sentence.
#include "mediakit/CaptionWriter.h"
#include "subtitles/SrtWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Reader
{
    const uint8_t* data;
    size_t size;

    int32_t Int()
    {
        int32_t value = 0;
        const size_t n = size < sizeof value ? size : sizeof value;
        std::memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
    std::string Text()
    {
        const size_t length = size ? std::min<size_t>(data[0], size - 1) : 0;
        std::string text(reinterpret_cast<const char*>(data) + (size ? 1 : 0), length);
        data += length + (size ? 1 : 0);
        size -= length + (size ? 1 : 0);
        return text;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader reader{data, size};
    QList<SrtLineInfo*> lines;
    std::vector<nsWtt::stWavResult> sentences;
    while (reader.size > 0 && lines.size() < 8) {
        auto* line = new SrtLineInfo;
        line->begin = reader.Int();
        line->end = reader.Int();
        line->text = reader.Text();
        nsWtt::stWavResult sentence;
        sentence.begin = line->begin;
        sentence.end = line->end;
        sentence.text = line->text;
        sentence.textCopy = QString::fromStdString(line->text);
        sentences.push_back(sentence);
        lines.append(line);
    }
    const QString cloud = SrtWriter::BuildSrt(lines);
    const QString file = SrtWriter::BuildSrt(sentences);
    // Every sentence gives one arrow line, whatever its text holds.
    if (!lines.isEmpty() && cloud.count(QStringLiteral(" --> ")) < lines.size())
        __builtin_trap();
    if (!sentences.empty() && file.count(QStringLiteral(" --> ")) < qsizetype(sentences.size()))
        __builtin_trap();
    for (SrtLineInfo* line : lines)
        CaptionWriter::FormatSrtTime(line->begin);
    qDeleteAll(lines);
    SrtWriter::CompanionPath(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
