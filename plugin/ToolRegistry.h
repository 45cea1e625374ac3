#pragma once

#include <QString>
#include <QUuid>

#include <array>

// The four tools the module offers, in the order the editor lists them.
enum class AigcTool { Painting, Dubbing, Subtitles, Copywriting };

struct ToolEntry
{
    AigcTool tool;
    QUuid guid;
    const char* nameKey;  // handed to the editor's string table for the display name
    int childId;          // the tool window's child identifier
};

class ToolRegistry
{
public:
    static const std::array<ToolEntry, 4>& Entries();
    // The tool whose GUID matches in all 16 bytes, or none.
    static const ToolEntry* Find(const QUuid& guid);
};
