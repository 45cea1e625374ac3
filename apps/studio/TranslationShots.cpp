#include "apps/studio/TranslationShots.h"

#include "apps/studio/MediaPreview.h"
#include "apps/studio/ProjectView.h"
#include "apps/studio/SentenceEditor.h"
#include "apps/studio/StudioWindow.h"
#include "apps/studio/ToolHost.h"
#include "apps/studio/ToolPanel.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

constexpr int kSettleMs = 50;
const QString kStart = QStringLiteral("开始翻译");
const QString kSpanish = QStringLiteral("西班牙语");
// The translation gets this long (polls of kPollMs) before the pictures are taken anyway.
constexpr int kPollMs = 100;
constexpr int kMaxPolls = 600;
// The tools, the tool's window with the preview, and the project side.
const QList<int> kSideBySideWidths{180, 500, 600};

QPushButton* StartButton(QWidget* tool)
{
    for (QPushButton* button : tool ? tool->findChildren<QPushButton*>() : QList<QPushButton*>()) {
        if (button->text() == kStart)
            return button;
    }
    return nullptr;
}

} // namespace

TranslationShots::TranslationShots(StudioWindow& window, Grab grab, std::function<void(bool)> done)
    : m_window(window)
    , m_grab(std::move(grab))
    , m_done(std::move(done))
{
}

void TranslationShots::Start()
{
    SentenceEditor& sentences = m_window.View().Sentences();
    // The earlier pictures' layout and edit were for show: the file's own sentences are translated.
    const QString path = sentences.Sentences().Path();
    sentences.MaxChars()->setValue(0);
    sentences.MaxLines()->setValue(CaptionLayout::kLines);
    sentences.Open(QString());
    sentences.Open(path);
    m_window.ChooseTool(m_window.Host().IndexOf(ToolId::Translation));
    QWidget* tool = m_window.Panel().Window();
    QPushButton* start = StartButton(tool);
    const QList<QComboBox*> lists = tool ? tool->findChildren<QComboBox*>() : QList<QComboBox*>();
    if (!start || lists.isEmpty() || path.isEmpty()) {
        std::fprintf(stderr, "qov-studio: no translation tool or no subtitles to translate\n");
        m_done(false);
        return;
    }
    lists.front()->setCurrentIndex(lists.front()->findText(kSpanish));
    start->click();
    QTimer::singleShot(kPollMs, this, &TranslationShots::WaitForTranslation);
}

void TranslationShots::WaitForTranslation()
{
    QPushButton* start = StartButton(m_window.Panel().Window());
    const bool done = start && start->isEnabled();
    if (!done && ++m_waits < kMaxPolls) {
        QTimer::singleShot(kPollMs, this, &TranslationShots::WaitForTranslation);
        return;
    }
    m_grab(QStringLiteral("translate-window.png"));
    if (m_window.View().Sentences().Translation().Count() == 0) {
        std::fprintf(stderr, "qov-studio: the translation tool produced no translation (are the local services running?)\n");
        m_done(false);
        return;
    }
    QTimer::singleShot(kSettleMs, this, &TranslationShots::SideBySide);
}

void TranslationShots::SideBySide()
{
    SentenceEditor& sentences = m_window.View().Sentences();
    // Two columns of text want the room a user would drag the project side out to.
    if (auto* splitter = qobject_cast<QSplitter*>(m_window.centralWidget()))
        splitter->setSizes(kSideBySideWidths);
    const auto& captions = sentences.Sentences().Captions();
    if (!captions.empty()) {
        m_window.Preview().Seek((captions.front().start + captions.front().end) / 2);
        sentences.List()->setCurrentItem(sentences.List()->topLevelItem(0));
    }
    QTimer::singleShot(kSettleMs, this, [this] {
        m_grab(QStringLiteral("translate-side-by-side.png"));
        m_done(true);
    });
}
