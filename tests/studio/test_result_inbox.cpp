#include "apps/studio/ResultInbox.h"
#include "apps/studio/StudioProject.h"
#include "host/QOVMessage.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kPainting = 0x6001;
constexpr int kDubbing = 0x6002;
constexpr int kSubtitles = 0x6003;
constexpr int kCopywriting = 0x6004;
constexpr int kUnrouted = 0x6100;

// Where a result may land; Nowhere for a message the inbox does not take.
enum class Lands { TextAudio, MediaSubtitles, Bin, Nowhere };

// A project with one text object and one media file, and the inbox filing into it.
struct Desk
{
    Desk()
    {
        const char* tools[] = {"AI 绘画", "AI 配音", "AI 字幕", "AI 文案"};
        for (int i = 0; i < 4; ++i)
            inbox.Route(kPainting + i, QString::fromUtf8(tools[i]));
        text = project.AddText(QStringLiteral("一段文本"));
        media = project.AddMedia(QStringLiteral("/media/clip.mp4"));
    }

    // The only result filed anywhere, when it is filed where lands says; null otherwise. Audio
    // attached to the text object and subtitles attached to the media file are in the bin as
    // well, naming their object.
    const ToolResult* Filed(Lands lands) const
    {
        const QList<ToolResult>& audio = project.FindText(text)->audio;
        const QList<ToolResult>& subtitles = project.FindMedia(media)->subtitles;
        const auto isOnly = [](const QList<ToolResult>& list, const ToolResult& result) {
            return list.size() == 1 && result.path == list.first().path;
        };
        QList<ToolResult> loose;
        qsizetype owned = 0;
        for (const ToolResult& result : project.Bin()) {
            if (result.owner.isNull())
                loose.append(result);
            else if ((result.owner == text && isOnly(audio, result)) || (result.owner == media && isOnly(subtitles, result)))
                ++owned;
            else
                return nullptr;
        }
        if (owned != audio.size() + subtitles.size())
            return nullptr;
        const QList<ToolResult>* places[] = {&audio, &project.FindMedia(media)->subtitles, &project.Bin()};
        const qsizetype filed = audio.size() + places[1]->size() + loose.size();
        if (filed != 1 || lands == Lands::Nowhere || places[int(lands)]->isEmpty())
            return nullptr;
        return &places[int(lands)]->first();
    }

    StudioProject project;
    ResultInbox inbox{project};
    QUuid text;
    QUuid media;
    QUuid unknown = QUuid::createUuid();
};

TEST(Inbox, FilesEachResultWithItsObjectOrInTheBinAndFreesThePath)
{
    const struct
    {
        int message;
        const char* path;
        QUuid Desk::*owner; // null member: no object named
        Lands lands;
        const char* tool;
    } cases[] = {
        {kDubbing, "/w/AIAudio/a.mp3", &Desk::text, Lands::TextAudio, "AI 配音"},
        {kDubbing, "/w/AIAudio/b.WAV", &Desk::text, Lands::TextAudio, "AI 配音"},
        {kSubtitles, "/w/AITxt/clip.srt", &Desk::media, Lands::MediaSubtitles, "AI 字幕"},
        {kPainting, "/w/AIImage/1.png", nullptr, Lands::Bin, "AI 绘画"},
        {kCopywriting, "/w/Copywriting/t.txt", &Desk::text, Lands::Bin, "AI 文案"},
        {kDubbing, "/w/AIAudio/gone.mp3", &Desk::unknown, Lands::Bin, "AI 配音"},
        {kDubbing, "/w/AIAudio/c.mp3", &Desk::media, Lands::Bin, "AI 配音"},
        {kSubtitles, "/w/AITxt/lost.srt", nullptr, Lands::Bin, "AI 字幕"},
        {kSubtitles, "/w/AITxt/text.srt", &Desk::text, Lands::Bin, "AI 字幕"},
        {kUnrouted, "/w/other.mp3", &Desk::text, Lands::Nowhere, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        // A second reference to the string's data shows whether anyone freed it.
        const QString path = QString::fromUtf8(c.path);
        const auto sent = std::make_unique<QString>(path);
        {
            Desk desk;
            QOVMessageEvent message(c.message, c.owner ? uintptr_t(&(desk.*c.owner)) : 0, intptr_t(sent.get()));
            EXPECT_EQ(desk.inbox.Receive(message), c.lands != Lands::Nowhere);
            const ToolResult* filed = desk.Filed(c.lands);
            EXPECT_FALSE(path.isDetached()) << "the sender's string is the sender's to free";
            if (c.lands == Lands::Nowhere) {
                EXPECT_EQ(desk.Filed(Lands::Bin), nullptr) << "nothing filed";
                continue;
            }
            ASSERT_NE(filed, nullptr);
            EXPECT_EQ(filed->path, path);
            EXPECT_EQ(filed->tool, QString::fromUtf8(c.tool));
        }
    }
}

// A painting entry's list of files without a file in it is no path either.
TEST(Inbox, MessagesWithoutAPathAreTakenButFileNothing)
{
    Desk desk;
    const QString empty;
    const QString noFiles = QStringLiteral("||");
    for (const auto& [number, path] : {std::pair{kDubbing, intptr_t(0)}, std::pair{kDubbing, intptr_t(&empty)},
                                       std::pair{kPainting, intptr_t(&noFiles)}}) {
        QOVMessageEvent message(number, uintptr_t(&desk.text), path);
        EXPECT_TRUE(desk.inbox.Receive(message));
    }
    EXPECT_EQ(desk.Filed(Lands::Bin), nullptr);
    EXPECT_TRUE(desk.project.FindText(desk.text)->audio.isEmpty());
}

// Counts the events that reach it past the filters.
class Target : public QObject
{
public:
    bool event(QEvent* event) override
    {
        ++received;
        return QObject::event(event);
    }
    int received = 0;
};

TEST(Inbox, FilterTakesOnlyRoutedMessageEvents)
{
    Desk desk;
    Target target;
    target.installEventFilter(&desk.inbox);
    const QString path = QStringLiteral("/w/AIImage/2.png");
    QOVMessageEvent routed(kPainting, 0, intptr_t(&path));
    QEvent sameNumberOtherKind{QEvent::Type(kPainting)};
    QOVMessageEvent unrouted(kUnrouted, 0, 0);

    QCoreApplication::sendEvent(&target, &routed);
    EXPECT_EQ(target.received, 0) << "the inbox takes a routed message";
    QCoreApplication::sendEvent(&target, &sameNumberOtherKind);
    QCoreApplication::sendEvent(&target, &unrouted);
    EXPECT_EQ(target.received, 2) << "anything else is left to the target";
    const ToolResult* filed = desk.Filed(Lands::Bin);
    ASSERT_NE(filed, nullptr);
    EXPECT_EQ(filed->tool, QStringLiteral("AI 绘画"));
}

} // namespace
