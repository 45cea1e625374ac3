#pragma once

#include <QString>
#include <QUuid>

#include <span>

// The module's tools, numbering the table's rows in the order the editor lists them.
enum class ToolId { Painting, Dubbing, Subtitles, Copywriting, Translation };

// What a tool's window is handed when the editor's selection changes.
enum class ToolSelection {
    None,
    TextObject, // the chosen text object's identifier and text
    MediaFiles, // the first chosen media file's identifier and path, the others' as a property map
    // The chosen subtitle file's path with the media file it belongs to; when the sentences on
    // screen hold edits not yet saved, the property map carries them as SRT text (kEditedCaptions).
    Subtitles,
};

// The property under which a Subtitles selection carries unsaved sentences.
inline constexpr const char* kEditedCaptions = "captions";

// What the history list shows of a record's results besides its source.
enum class HistoryPreview {
    FileName,        // the result file's name
    FileNameAndText, // its name and the start of its text
    Images,          // a thumbnail of every result image
};

// One tool as the module and its programs know it.
struct ToolRow
{
    ToolId id;
    QUuid guid;              // how the editor names the tool in every window command
    const char* nameKey;     // handed to the editor's string table for the display name
    const char* logFolder;   // the task log's folder below the log root
    int historyNumber;       // the history dialog's number for the tool
    ToolSelection selection;
    HistoryPreview historyPreview;
    int childId;             // the tool window's child identifier
    const char* commandName; // the tool's name on the command line (`qovaigc history NAME`)
};

// A new tool is a row here and its own folder; the readers find everything else through it.
namespace ToolTable {

std::span<const ToolRow> Rows();
const ToolRow& Of(ToolId tool);
// The row whose GUID matches in all 16 bytes, or none.
const ToolRow* Find(const QUuid& guid);
const ToolRow* FindByHistoryNumber(int number);
const ToolRow* FindByCommand(const QString& name);

} // namespace ToolTable
