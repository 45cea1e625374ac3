#include "plugin/ToolRegistry.h"

const std::array<ToolEntry, 4>& ToolRegistry::Entries()
{
    static const std::array<ToolEntry, 4> entries = {{
        {AigcTool::Painting, QUuid(0x69821F54, 0xCEB3, 0x4599, 0xBC, 0x69, 0xF6, 0xCC, 0x32, 0xAA, 0x25, 0xCF),
         "AI 绘画", 1110},
        {AigcTool::Dubbing, QUuid(0xEAC20D41, 0x0AEB, 0x4CE6, 0x95, 0x6C, 0x97, 0xAC, 0x89, 0x94, 0x4B, 0x9A),
         "AI 配音", 1111},
        {AigcTool::Subtitles, QUuid(0x7CF60C8A, 0xF809, 0x4C54, 0x91, 0xD8, 0x12, 0xEE, 0x7F, 0x65, 0x39, 0xCD),
         "AI 字幕", 1112},
        {AigcTool::Copywriting, QUuid(0x0B96C2D8, 0x03B7, 0x4272, 0x92, 0x0E, 0x5A, 0xEA, 0x31, 0xE2, 0x7E, 0x1D),
         "AI 文案", 1113},
    }};
    return entries;
}

const ToolEntry* ToolRegistry::Find(const QUuid& guid)
{
    for (const ToolEntry& entry : Entries()) {
        if (entry.guid == guid)
            return &entry;
    }
    return nullptr;
}
