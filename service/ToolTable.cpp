#include "service/ToolTable.h"

#include <array>

namespace ToolTable {

namespace {

// Rows in the order of ToolId. The history numbers are the original dialog's and differ from the
// listing order; the texts are bytes the editor, the disk and scripts already know.
constexpr std::array kRows{
    ToolRow{ToolId::Painting, QUuid(0x69821F54, 0xCEB3, 0x4599, 0xBC, 0x69, 0xF6, 0xCC, 0x32, 0xAA, 0x25, 0xCF),
            "AI 绘画", "AI作画", 0, ToolSelection::None, HistoryPreview::Images, 1110, "painting"},
    ToolRow{ToolId::Dubbing, QUuid(0xEAC20D41, 0x0AEB, 0x4CE6, 0x95, 0x6C, 0x97, 0xAC, 0x89, 0x94, 0x4B, 0x9A),
            "AI 配音", "AI语音", 2, ToolSelection::TextObject, HistoryPreview::FileName, 1111, "dubbing"},
    ToolRow{ToolId::Subtitles, QUuid(0x7CF60C8A, 0xF809, 0x4C54, 0x91, 0xD8, 0x12, 0xEE, 0x7F, 0x65, 0x39, 0xCD),
            "AI 字幕", "AI字幕", 1, ToolSelection::MediaFiles, HistoryPreview::FileNameAndText, 1112, "subtitles"},
    ToolRow{ToolId::Copywriting, QUuid(0x0B96C2D8, 0x03B7, 0x4272, 0x92, 0x0E, 0x5A, 0xEA, 0x31, 0xE2, 0x7E, 0x1D),
            "AI 文案", "AI文案", 3, ToolSelection::None, HistoryPreview::FileNameAndText, 1113, "copywriting"},
    ToolRow{ToolId::Translation, QUuid(0x3D5E8A17, 0x6C42, 0x4B9F, 0xA1, 0x7E, 0x25, 0xD0, 0x9B, 0x4C, 0x81, 0xF3),
            "AI 翻译", "AI翻译", 4, ToolSelection::Subtitles, HistoryPreview::FileNameAndText, 1114, "translate"},
};

template <typename Matches>
const ToolRow* FindRow(Matches matches)
{
    for (const ToolRow& row : kRows) {
        if (matches(row))
            return &row;
    }
    return nullptr;
}

} // namespace

std::span<const ToolRow> Rows()
{
    return kRows;
}

const ToolRow& Of(ToolId tool)
{
    return kRows[std::size_t(tool)];
}

const ToolRow* Find(const QUuid& guid)
{
    return FindRow([&](const ToolRow& row) { return row.guid == guid; });
}

const ToolRow* FindByHistoryNumber(int number)
{
    return FindRow([&](const ToolRow& row) { return row.historyNumber == number; });
}

const ToolRow* FindByCommand(const QString& name)
{
    return FindRow([&](const ToolRow& row) { return name == QLatin1String(row.commandName); });
}

} // namespace ToolTable
