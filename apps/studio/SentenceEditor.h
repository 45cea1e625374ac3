#pragma once

#include "apps/studio/SubtitleSentences.h"

#include <QWidget>

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

// The sentences of the subtitle file chosen in the bin, editable in place: start, end and text.
// An edit the sentences refuse is put back and its reason shown; "排版" lays the sentences out
// as captions by the three numbers beside it, which the studio remembers; "保存" writes the file
// back. Double-clicking a row asks for the preview to go to its start. A file whose character set
// cannot be told is read in the one the user picks. When a translation of the file is known, its
// text is a second column, "译文", edited like the first; a time edited is the time of both, and
// "保存" writes both files.
class SentenceEditor : public QWidget
{
    Q_OBJECT

public:
    enum Column
    {
        StartColumn,
        EndColumn,
        TextColumn,
        TranslationColumn
    };

    explicit SentenceEditor(QWidget* parent = nullptr);

    // Shows the file's sentences, or the reason it has none; an empty path shows nothing.
    void Open(const QString& path);
    const SubtitleSentences& Sentences() const { return m_sentences; }
    // Shows path's texts beside the sentences, if it is their translation: as many captions, at
    // the same times. False, and no translation shown, otherwise; an empty path shows none.
    bool OpenTranslation(const QString& path);
    const SubtitleSentences& Translation() const { return m_translation; }
    // Whether either file's sentences hold changes not yet saved.
    bool Modified() const { return m_sentences.Modified() || m_translation.Modified(); }

    QTreeWidget* List() const { return m_list; }
    QSpinBox* MaxChars() const { return m_maxChars; }
    QSpinBox* MaxLines() const { return m_maxLines; }
    QDoubleSpinBox* MaxSeconds() const { return m_maxSeconds; }
    QPushButton* LayoutButton() const { return m_layout; }
    QPushButton* SaveButton() const { return m_save; }
    // The last refusal, failure or confirmation.
    QLabel* Message() const { return m_message; }

    void ApplyLayout();
    bool Save();
    // Whether the sentences may be put away (another file shown, the studio closed): true when they
    // hold no change, or the user saves them or gives the changes up; false when the user keeps
    // them on screen, or saving failed.
    bool ConfirmLeave();
    // Whether the file holds what the list shows, for what reads the file next: true when the
    // sentences hold no change, or the user saves them, or gives the changes up (the list then
    // shows the file again); false when the user keeps them unsaved, or saving failed.
    bool ConfirmSaved();

signals:
    void SeekRequested(qint64 milliseconds);
    // The sentences of path differ from what was shown before (an edit, a layout or another file).
    void SentencesChanged(const QString& path);
    // The translation shown beside the sentences of path changed (opened, edited, put away).
    void TranslationChanged(const QString& path);

private:
    // Asks which character set a file is in when it cannot be told; picked is false when the user
    // declines.
    QString PickEncoding(const QString& path, bool& picked);
    void Fill();
    void ShowRow(QTreeWidgetItem* item, int index);
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void Tell(const QString& message, bool refusal);
    void Changed();
    void KeepLimits();

    SubtitleSentences m_sentences;
    SubtitleSentences m_translation;
    QTreeWidget* m_list;
    QSpinBox* m_maxChars;
    QSpinBox* m_maxLines;
    QDoubleSpinBox* m_maxSeconds;
    QPushButton* m_layout;
    QPushButton* m_save;
    QLabel* m_message;
    bool m_filling = false;
};
