#pragma once

#include "history/HistoryOpener.h"
#include "mediakit/Caption.h"
#include "ui/ISelectionReceiver.h"
#include "ui/ToolWindow.h"

#include <QString>
#include <QUuid>

#include <cstdint>
#include <vector>

class CI3Button;
class CQOVComboBox;
class CaptionTranslation;
class QLabel;

// The translation tool window: the subtitle file chosen in the editor (or its sentences with the
// edits not yet saved), a target language, an optional glossary, start and stop. The translation
// is written beside the subtitle file as NAME.LANG.srt and handed to the editor for the media file
// the subtitles belong to.
class CTranslateWnd : public ToolWindow, public ISelectionReceiver
{
public:
    enum ControlId { IdStart = 1001, IdStop = 1002, IdLanguage = 1003, IdGlossary = 1004, IdClearGlossary = 1005,
                     IdHistory = 1006 };

    // The languages offered, by two-letter code, with their names as the window shows them.
    struct Language
    {
        const char* code;
        const char* name;
    };
    static const std::vector<Language>& Languages();

    explicit CTranslateWnd(uint32_t hostMessage, QWidget* parent = nullptr);
    ~CTranslateWnd() override;

    void SetSelection(const QString& path, const QUuid& selectedObject,
                      const QHash<QString, QString>* properties) override;

    CI3Button* Button(int id) const;
    CQOVComboBox* LanguageList() const { return m_language; }
    QLabel* SourceLabel() const { return m_source; }
    QLabel* GlossaryLabel() const { return m_glossary; }
    QLabel* StatusLabel() const { return m_status; }
    // The file the last finished translation was written to.
    const QString& ResultPath() const { return m_resultPath; }
    // The target language chosen, by code.
    QString Target() const;
    void SetGlossary(const QString& path);

protected:
    int OnCreate() override;
    void OnSize(int type, int cx, int cy) override;

    // The glossary chooser; tests answer it.
    virtual QString ChooseGlossary();

private:
    void UpdateStart() override;
    void ShowSource();
    void OnStart();
    void OnProgress(const QString& text);
    void OnEnded(const TaskEnd& end);
    bool ReadCaptions(std::vector<Caption>& captions, QString& error) const;

    QLabel* m_sourceTitle = nullptr;
    QLabel* m_source = nullptr;
    QLabel* m_languageLabel = nullptr;
    CQOVComboBox* m_language = nullptr;
    QLabel* m_glossaryTitle = nullptr;
    QLabel* m_glossary = nullptr;
    CI3Button* m_chooseGlossary = nullptr;
    CI3Button* m_clearGlossary = nullptr;
    CI3Button* m_start = nullptr;
    CI3Button* m_stop = nullptr;
    CI3Button* m_history = nullptr;
    QLabel* m_status = nullptr;
    HistoryOpener m_historyOpener;

    QString m_sourcePath;
    QUuid m_owner;
    QString m_edited; // the sentences on screen as SRT text, when they hold unsaved edits
    QString m_glossaryPath;
    // What the task under way translates, for its end: the source and its owner may change meanwhile.
    QString m_runSource;
    QUuid m_runOwner;
    QString m_runTarget;
    CaptionTranslation* m_translation = nullptr;
    QString m_resultPath;
};
