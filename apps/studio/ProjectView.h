#pragma once

#include <QList>
#include <QUuid>
#include <QWidget>

class QListWidget;
class QPushButton;
class SentenceEditor;
class SrtDubbingPanel;
class QTreeWidget;
class QTreeWidgetItem;
class StudioProject;
struct ProjectSelection;
struct ToolResult;

// The project side of the studio: text objects and media files with what the tools attached to
// them, the bin of results, the sentences of the subtitle file chosen in the bin, and the buttons
// that add objects.
class ProjectView : public QWidget
{
    Q_OBJECT

public:
    explicit ProjectView(StudioProject& project, QWidget* parent = nullptr);

    ProjectSelection Selection() const;
    // Selects the text object (or the media files, the first one current) with these identifiers.
    void SelectText(const QUuid& id);
    void SelectMedia(const QList<QUuid>& ids);

    QTreeWidget* TextList() const { return m_texts; }
    QTreeWidget* MediaList() const { return m_media; }
    QListWidget* BinList() const { return m_bin; }
    // "导出视频": enabled while a video is the current media file.
    QPushButton* ExportButton() const { return m_export; }
    // The sentences of the subtitle file current in the bin, editable (hidden otherwise).
    SentenceEditor& Sentences() const { return *m_sentences; }
    QTreeWidget* SentenceList() const;
    // Speaks the subtitle file current in the bin as a voice-over track.
    SrtDubbingPanel& Dubbing() const { return *m_dubbing; }
    // What the bin names the translation tool's results: the module's own name for the tool. Its
    // subtitle files are shown beside the sentences they translate.
    void SetTranslationTool(const QString& name) { m_translationTool = name; }

signals:
    void SelectionChanged();
    // A result was made current in the bin.
    void BinChosen(const QString& path);
    // The user asked to export the current media file as a video.
    void ExportRequested();

private:
    void AddTextFromUser();
    void AddMediaFromUser();
    void OnTextAdded(const QUuid& id);
    void OnMediaAdded(const QUuid& id);
    void OnResultAttached(const QUuid& id, const ToolResult& result);
    void OnBinAdded(const ToolResult& result);
    void ShowSentences(const QString& path);
    QUuid OwnerOf(const QString& path) const;
    bool ShowAsTranslation(const ToolResult& result);

    StudioProject& m_project;
    QTreeWidget* m_texts;
    QTreeWidget* m_media;
    QListWidget* m_bin;
    QPushButton* m_export;
    QWidget* m_sentencePane;
    SentenceEditor* m_sentences;
    SrtDubbingPanel* m_dubbing;
    QString m_translationTool;
};
