#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

// A file a tool produced, with the display name of the tool it came from and, once attached, the
// text object or media file it belongs to.
struct ToolResult
{
    QString path;
    QString tool;
    QUuid owner;
};

struct TextObject
{
    QUuid id;
    QString text;
    QList<ToolResult> audio;
};

struct MediaFile
{
    QUuid id;
    QString path;
    QList<ToolResult> subtitles;
};

// The subtitle file chosen in the bin, with the media file it belongs to (null for none) and, when
// the sentences on screen hold edits not yet saved, those sentences as SRT text.
struct ChosenSubtitles
{
    QString path;
    QUuid owner;
    QString edited;
};

// What the user has selected in the project: one text object, media files with the current one
// first, and the subtitle file chosen in the bin.
struct ProjectSelection
{
    const TextObject* text = nullptr;
    QList<const MediaFile*> media;
    ChosenSubtitles subtitles;
};

// The studio's own small project: text objects and media files the user added, the audio and
// subtitle files attached to them, and a bin of everything else the tools produced.
class StudioProject : public QObject
{
    Q_OBJECT

public:
    QUuid AddText(const QString& text);
    QUuid AddMedia(const QString& path);
    // False when no text object (media file) has that identifier. Audio attached to a text object
    // and subtitles attached to a media file also land in the bin, as the editor's media does.
    bool AttachAudio(const QUuid& text, const ToolResult& result);
    bool AttachSubtitles(const QUuid& media, const ToolResult& result);
    void AddToBin(const ToolResult& result);

    const QList<TextObject>& Texts() const { return m_texts; }
    const QList<MediaFile>& Media() const { return m_media; }
    const QList<ToolResult>& Bin() const { return m_bin; }
    const TextObject* FindText(const QUuid& id) const;
    const MediaFile* FindMedia(const QUuid& id) const;

signals:
    void TextAdded(const QUuid& id);
    void MediaAdded(const QUuid& id);
    // A result was attached to the text object or media file id.
    void ResultAttached(const QUuid& id, const ToolResult& result);
    void BinAdded(const ToolResult& result);

private:
    QList<TextObject> m_texts;
    QList<MediaFile> m_media;
    QList<ToolResult> m_bin;
};
