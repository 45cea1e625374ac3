#include "translation/CTranslateWnd.h"

#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/QOVProfile.h"
#include "mediakit/CaptionLayout.h"
#include "mediakit/CaptionWriter.h"
#include "mediakit/SrtReader.h"
#include "service/AigcSettings.h"
#include "service/ToolTable.h"
#include "translation/CaptionTranslation.h"
#include "translation/TranslatedCaptions.h"
#include "translation/TranslationCache.h"
#include "translation/TranslationLanguage.h"
#include "translation/TranslationLog.h"
#include "ui/ToolControls.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

#include <chrono>

namespace {

constexpr int kHistoryRowHeight = 60;
const QString kSection = QStringLiteral("Translate");
const QString kTargetKey = QStringLiteral("To");
const QString kGlossaryKey = QStringLiteral("Glossary");
const QString kDefaultTarget = QStringLiteral("en");
const QString kNoSource = QStringLiteral("请在素材箱中选择一个字幕文件（SRT）");
const QString kEditedSource = QStringLiteral("%1（含未保存的修改）");
const QString kNoGlossary = QStringLiteral("未使用术语表");
const QString kTranslating = QStringLiteral("翻译中 %1");
const QString kTranslated = QStringLiteral("翻译完成：%1（%2 句）");
const QString kStopped = QStringLiteral("翻译已停止");
const QString kFailed = QStringLiteral("翻译失败：%1");
const QString kSameLanguage = QStringLiteral("字幕已是%1，请选择另一种语言");
const QString kCannotWrite = QStringLiteral("无法写入译文 %1：%2");
const QString kGlossaryFilter = QStringLiteral("术语表 (*.txt *.tsv);;所有文件 (*)");
// Each batch's request gets this long, as the command line's default time-out gives it.
constexpr std::chrono::seconds kBatchLimit(60);

} // namespace

const std::vector<CTranslateWnd::Language>& CTranslateWnd::Languages()
{
    static const std::vector<Language> languages{
        {"en", "英语"}, {"zh", "中文"}, {"es", "西班牙语"}, {"fr", "法语"},   {"de", "德语"},
        {"ja", "日语"}, {"ko", "韩语"}, {"ru", "俄语"},     {"pt", "葡萄牙语"}, {"it", "意大利语"},
    };
    return languages;
}

CTranslateWnd::CTranslateWnd(uint32_t hostMessage, QWidget* parent)
    : ToolWindow(hostMessage, parent)
    , m_historyOpener(ToolId::Translation, kHistoryRowHeight)
{
}

// The translation stops with the window, without waiting: its batches keep their own copies.
CTranslateWnd::~CTranslateWnd() = default;

CI3Button* CTranslateWnd::Button(int id) const
{
    return ToolControls::Find<CI3Button>(this, id);
}

int CTranslateWnd::OnCreate()
{
    m_sourceTitle = ToolControls::Label(this, QStringLiteral("字幕文件"));
    m_source = ToolControls::Label(this, kNoSource);
    m_source->setWordWrap(true);
    m_languageLabel = ToolControls::Label(this, QStringLiteral("翻译为"));
    m_language = new CQOVComboBox(this, IdLanguage);
    QString kept;
    GetPrivateProfileStringW(kSection, kTargetKey, kDefaultTarget, kept, 16, AigcSettingsPath());
    int chosen = 0;
    for (const Language& language : Languages()) {
        const int index = m_language->InsertString(-1, QString::fromUtf8(language.name));
        if (kept == QLatin1String(language.code))
            chosen = index;
    }
    m_language->SetCurSel(chosen);
    connect(m_language, &CQOVComboBox::selectionChanged, this, [this] {
        WritePrivateProfileStringW(kSection, kTargetKey, Target(), AigcSettingsPath());
    });

    m_glossaryTitle = ToolControls::Label(this, QStringLiteral("术语表"));
    m_glossary = ToolControls::Label(this, kNoGlossary);
    ToolControls::Buttons(this, {{&m_chooseGlossary, IdGlossary, "选择术语表"},
                                {&m_clearGlossary, IdClearGlossary, "不用术语表"},
                                {&m_start, IdStart, "开始翻译"},
                                {&m_stop, IdStop, "停止翻译"},
                                {&m_history, IdHistory, "历史记录"}});
    connect(m_chooseGlossary, qOverload<int>(&CI3Button::clicked), this, [this] {
        if (const QString path = ChooseGlossary(); !path.isEmpty())
            SetGlossary(path);
    });
    connect(m_clearGlossary, qOverload<int>(&CI3Button::clicked), this, [this] { SetGlossary(QString()); });
    connect(m_start, qOverload<int>(&CI3Button::clicked), this, [this] { OnStart(); });
    connect(m_stop, qOverload<int>(&CI3Button::clicked), this, [this] {
        if (Task* task = CurrentTask())
            task->Stop();
    });
    connect(m_history, qOverload<int>(&CI3Button::clicked), this, [this] { m_historyOpener.Open(this); });

    m_status = ToolControls::Label(this, QString(), Qt::AlignLeft | Qt::AlignTop);
    m_status->setWordWrap(true);
    SetStatusLabel(m_status);
    QString glossary;
    GetPrivateProfileStringW(kSection, kGlossaryKey, QString(), glossary, 4096, AigcSettingsPath());
    // A glossary moved or deleted since is forgotten rather than failing every start.
    SetGlossary(QFileInfo::exists(glossary) ? glossary : QString());
    UpdateStart();
    return 0;
}

void CTranslateWnd::OnSize(int, int cx, int)
{
    if (!m_source)
        return;
    constexpr int kLeft = 10;
    constexpr int kTitle = 80;
    const int field = kLeft + kTitle + 10;
    const int right = cx - 10;
    m_sourceTitle->setGeometry(kLeft, 12, kTitle, 24);
    m_source->setGeometry(field, 12, right - field, 44);
    m_languageLabel->setGeometry(kLeft, 66, kTitle, 24);
    m_language->setGeometry(field, 66, 200, 26);
    m_glossaryTitle->setGeometry(kLeft, 104, kTitle, 24);
    m_glossary->setGeometry(field, 104, right - field - 230, 24);
    m_chooseGlossary->setGeometry(right - 220, 102, 105, 28);
    m_clearGlossary->setGeometry(right - 105, 102, 105, 28);
    m_start->setGeometry(field, 148, 110, 30);
    m_stop->setGeometry(field + 120, 148, 110, 30);
    m_history->setGeometry(right - 90, 148, 90, 28);
    m_status->setGeometry(field, 192, right - field, 80);
}

QString CTranslateWnd::Target() const
{
    const int index = m_language ? m_language->GetCurSel() : -1;
    return index < 0 ? kDefaultTarget : QString::fromLatin1(Languages()[size_t(index)].code);
}

void CTranslateWnd::SetGlossary(const QString& path)
{
    m_glossaryPath = path;
    if (m_glossary) {
        m_glossary->setText(path.isEmpty() ? kNoGlossary : QFileInfo(path).fileName());
        m_glossary->setToolTip(path);
    }
    WritePrivateProfileStringW(kSection, kGlossaryKey, path, AigcSettingsPath());
}

QString CTranslateWnd::ChooseGlossary()
{
    return QFileDialog::getOpenFileName(this, QString(), m_glossaryPath, kGlossaryFilter);
}

void CTranslateWnd::SetSelection(const QString& path, const QUuid& selectedObject,
                                 const QHash<QString, QString>* properties)
{
    m_sourcePath = path;
    m_owner = selectedObject;
    m_edited = properties ? properties->value(QString::fromLatin1(kEditedCaptions)) : QString();
    ShowSource();
    UpdateStart();
}

void CTranslateWnd::ShowSource()
{
    if (!m_source)
        return;
    if (m_sourcePath.isEmpty()) {
        m_source->setText(kNoSource);
        return;
    }
    const QString name = QFileInfo(m_sourcePath).fileName();
    m_source->setText(m_edited.isEmpty() ? name : kEditedSource.arg(name));
    m_source->setToolTip(m_sourcePath);
}

void CTranslateWnd::UpdateStart()
{
    if (!m_start)
        return;
    m_start->EnableWindow(!IsBusy() && !m_sourcePath.isEmpty());
    m_stop->EnableWindow(IsBusy());
}

bool CTranslateWnd::ReadCaptions(std::vector<Caption>& captions, QString& error) const
{
    if (m_edited.isEmpty())
        return SrtReader::Read(m_sourcePath, captions, error);
    return SrtReader::Parse(m_edited.toUtf8(), captions, error, QStringLiteral("UTF-8"));
}

void CTranslateWnd::OnStart()
{
    std::vector<Caption> captions;
    QString error;
    if (!ReadCaptions(captions, error)) {
        SetStatus(error);
        return;
    }
    CaptionTranslation::Settings settings;
    if (!m_glossaryPath.isEmpty() && !TranslationGlossary::Read(m_glossaryPath, settings.glossary, error)) {
        SetStatus(error);
        return;
    }
    settings.from = TranslationLanguage::Guess(captions);
    settings.to = Target();
    if (settings.from == settings.to) {
        SetStatus(kSameLanguage.arg(m_language->currentText()));
        return;
    }
    settings.batchLimit = kBatchLimit;
    settings.cacheFolder = TranslationCache::DefaultFolder();
    auto translation = std::make_unique<CaptionTranslation>();
    if (!translation->Prepare(captions, settings, error)) {
        SetStatus(error);
        return;
    }
    CaptionTranslation* started = translation.get();
    m_runSource = m_sourcePath;
    m_runOwner = m_owner;
    m_runTarget = settings.to;
    const QString total = QString::number(captions.size());
    if (!Run(std::move(translation), [this](int, const QString& text) { OnProgress(text); },
             [this](const TaskEnd& end) { OnEnded(end); }))
        return;
    m_translation = started;
    SetStatus(kTranslating.arg(QStringLiteral("0/") + total));
}

void CTranslateWnd::OnProgress(const QString& text)
{
    SetStatus(kTranslating.arg(text));
}

void CTranslateWnd::OnEnded(const TaskEnd& end)
{
    if (!end.Succeeded()) {
        SetStatus(end.Failed() ? kFailed.arg(end.error.text) : kStopped);
        TranslationLog::Failed(m_runSource);
        return;
    }
    const QFileInfo source(m_runSource);
    QString path = source.dir().filePath(source.completeBaseName() + QLatin1Char('.') + m_runTarget +
                                         QStringLiteral(".srt"));
    const std::vector<Caption> captions =
        TranslatedCaptions::LaidOut(m_translation->Results(), CaptionLayout::Limits{}, false);
    QString why;
    // Never over an earlier translation: a taken name gets the next free number.
    if (!CaptionWriter::Write(path, captions, CaptionWriter::Format::Srt, false, why)) {
        SetStatus(kCannotWrite.arg(path, why));
        TranslationLog::Failed(m_runSource);
        return;
    }
    m_resultPath = path;
    TranslationLog::Finished(m_runSource, path);
    SetStatus(kTranslated.arg(QFileInfo(path).fileName()).arg(captions.size()));
    if (m_runOwner.isNull())
        SendFiles(path);
    else
        SendFiles(m_runOwner, path);
}
