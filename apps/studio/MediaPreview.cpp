#include "apps/studio/MediaPreview.h"

#include "apps/studio/DubbedSound.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QComboBox>
#include <QFileInfo>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QGraphicsTextItem>
#include <QGraphicsVideoItem>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QStringList kPlayable{QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("mkv"), QStringLiteral("avi"),
                            QStringLiteral("webm"), QStringLiteral("m4v"), QStringLiteral("flv"), QStringLiteral("ts"),
                            QStringLiteral("wav"), QStringLiteral("mp3"), QStringLiteral("m4a"), QStringLiteral("aac"),
                            QStringLiteral("flac"), QStringLiteral("ogg"), QStringLiteral("opus")};
const QString kPlay = QStringLiteral("播放");
const QString kPause = QStringLiteral("暂停");
const QString kTime = QStringLiteral("%1 / %2");
const QString kNoBackend = QStringLiteral("无法播放：本机的 Qt Multimedia 没有可用的多媒体后端，字幕仍可随进度条查看");
const QString kCannotPlay = QStringLiteral("无法播放：%1");
const QString kSilent = QStringLiteral("本机没有声音输出设备，只播放画面");
const QString kCaptionStyle = QStringLiteral("color: white;");
const QString kTranslationLine = QStringLiteral("<br><span style=\"color: #ffd966;\">%1</span>");
const QString kOwnSound = QStringLiteral("原声");
const QString kDubbedSound = QStringLiteral("配音：%1");
const QStringList kCaptionChoices{QStringLiteral("原文字幕"), QStringLiteral("译文字幕"), QStringLiteral("双语字幕")};
const QColor kCaptionBack(0, 0, 0, 160);
const QColor kStage(Qt::black);
// The picture's frame before the file says its own size: the common 16:9.
const QSizeF kDefaultFrame(640, 360);
constexpr int kCaptionPointSize = 20;
constexpr qreal kCaptionMargin = 12;
constexpr qreal kCaptionPadding = 6;

// The FFmpeg backend comes with the libraries the project already needs; the GStreamer one
// crashes building its pipeline where some of its elements are not installed.
QMediaPlayer* MakePlayer(QObject* parent)
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    return new QMediaPlayer(parent);
}

QString Clock(qint64 milliseconds)
{
    const qint64 seconds = milliseconds / 1000;
    return seconds >= 3600 ? QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60)
                           : QString::asprintf("%02lld:%02lld", seconds / 60, seconds % 60);
}

} // namespace

MediaPreview::MediaPreview(QWidget* parent)
    : QWidget(parent)
    , m_player(MakePlayer(this))
    , m_audio(new QAudioOutput(this))
    , m_devices(new QMediaDevices(this))
    , m_hasSound([] { return !QMediaDevices::audioOutputs().isEmpty(); })
    , m_view(new QGraphicsView)
    , m_video(new QGraphicsVideoItem)
    , m_still(new QGraphicsPixmapItem)
    , m_captionBack(new QGraphicsRectItem)
    , m_caption(new QGraphicsTextItem)
    , m_captionChoice(new QComboBox)
    , m_soundChoice(new QComboBox)
    , m_dubbed(new DubbedSound(*m_player, *m_audio, this))
    , m_play(new QPushButton(kPlay))
    , m_slider(new QSlider(Qt::Horizontal))
    , m_time(new QLabel(kTime.arg(Clock(0), Clock(0))))
    , m_message(new QLabel)
    , m_soundNote(new QLabel(kSilent))
{
    setObjectName(QStringLiteral("mediaPreview"));
    auto* scene = new QGraphicsScene(this);
    scene->setBackgroundBrush(kStage);
    m_video->setSize(kDefaultFrame);
    scene->addItem(m_still);
    scene->addItem(m_video);
    m_captionBack->setBrush(kCaptionBack);
    m_captionBack->setPen(Qt::NoPen);
    scene->addItem(m_captionBack);
    QFont font = m_caption->font();
    font.setPointSize(kCaptionPointSize);
    m_caption->setFont(font);
    m_caption->setDefaultTextColor(Qt::white);
    m_caption->document()->setDefaultStyleSheet(kCaptionStyle);
    scene->addItem(m_caption);
    scene->setSceneRect(QRectF(QPointF(0, 0), kDefaultFrame));
    m_view->setScene(scene);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setRenderHint(QPainter::SmoothPixmapTransform);
    ShowCaption();

    m_player->setVideoOutput(m_video);
    m_play->setEnabled(false);
    m_slider->setEnabled(false);
    m_message->setWordWrap(true);
    m_message->hide();
    m_soundNote->hide();

    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(m_play);
    controls->addWidget(m_time);
    controls->addStretch(1);
    controls->addWidget(m_captionChoice);
    controls->addWidget(m_soundChoice);
    m_soundChoice->hide();
    connect(m_soundChoice, &QComboBox::currentIndexChanged, this,
            [this] { m_dubbed->SetTrack(m_soundChoice->currentData().toString()); });
    m_captionChoice->addItems(kCaptionChoices);
    m_captionChoice->setCurrentIndex(BothShown);
    m_captionChoice->hide();
    connect(m_captionChoice, &QComboBox::currentIndexChanged, this, &MediaPreview::ShowCaption);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_view, 1);
    // The seek bar has the whole width: beside the choices a narrow preview left it none.
    layout->addWidget(m_slider);
    layout->addLayout(controls);
    layout->addWidget(m_message);
    layout->addWidget(m_soundNote);

    connect(m_play, &QPushButton::clicked, this, [this] {
        if (m_player->playbackState() == QMediaPlayer::PlayingState) {
            m_player->pause();
            return;
        }
        FollowSoundOutputs();
        m_player->play();
    });
    connect(m_devices, &QMediaDevices::audioOutputsChanged, this, &MediaPreview::FollowSoundOutputs);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) { OnMediaStatus(status); });
    connect(m_player, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState state) { m_play->setText(state == QMediaPlayer::PlayingState ? kPause : kPlay); });
    connect(m_player, &QMediaPlayer::positionChanged, this, &MediaPreview::OnPosition);
    connect(m_player, &QMediaPlayer::durationChanged, this, &MediaPreview::OnDuration);
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& reason) { Tell(kCannotPlay.arg(reason)); });
    // Moved by hand, the slider leads and the player follows.
    connect(m_slider, &QSlider::sliderMoved, this, [this](int value) { Seek(value); });
    connect(m_video, &QGraphicsVideoItem::nativeSizeChanged, this, [this](const QSizeF& size) {
        if (size.isValid() && !size.isEmpty()) {
            m_video->setSize(size);
            Fit();
        }
    });
}

bool MediaPreview::Plays(const QString& path)
{
    return kPlayable.contains(QFileInfo(path).suffix().toLower());
}

void MediaPreview::Open(const QString& path, const QString& subtitles)
{
    m_player->stop();
    m_path = path;
    m_position = 0;
    m_still->setPixmap(QPixmap());
    m_message->hide();
    SubtitleSentences sentences;
    QString ignored;
    // A file without readable subtitles still plays, only without captions.
    if (!subtitles.isEmpty() && sentences.Load(subtitles, ignored))
        m_captions = sentences.Captions();
    else
        m_captions.clear();
    m_subtitlesPath = sentences.Path();
    m_translation.clear();
    m_captionChoice->hide();
    SetTracks({});
    const bool available = m_player->isAvailable();
    if (!available && !path.isEmpty())
        Tell(kNoBackend);
    m_play->setEnabled(available && !path.isEmpty());
    m_slider->setEnabled(!path.isEmpty());
    // Before the source: the player tells the file's length while it is being given it, and a
    // reset after that would show 00:00 until playing starts.
    OnDuration(0);
    OnPosition(0);
    FollowSoundOutputs();
    m_player->setSource(available && !path.isEmpty() ? QUrl::fromLocalFile(path) : QUrl());
}

void MediaPreview::SetCaptions(const QString& subtitles, const std::vector<::Caption>& captions)
{
    if (subtitles.isEmpty() || subtitles != m_subtitlesPath)
        return;
    m_captions = captions;
    ShowCaption();
}

void MediaPreview::SetTranslation(const QString& subtitles, const std::vector<::Caption>& captions)
{
    if (subtitles.isEmpty() || subtitles != m_subtitlesPath)
        return;
    m_translation = captions;
    m_captionChoice->setVisible(!captions.empty());
    ShowCaption();
}

void MediaPreview::SetTracks(const QStringList& tracks)
{
    const QSignalBlocker blocker(m_soundChoice);
    m_soundChoice->clear();
    m_soundChoice->addItem(kOwnSound);
    for (const QString& track : tracks)
        m_soundChoice->addItem(kDubbedSound.arg(QFileInfo(track).fileName()), track);
    m_soundChoice->setVisible(!tracks.isEmpty());
    m_dubbed->SetTrack(QString());
}

QString MediaPreview::DubbedTrack() const
{
    return m_dubbed->Track();
}

void MediaPreview::Seek(qint64 milliseconds)
{
    m_dubbed->Seek(milliseconds);
    if (m_player->isAvailable() && !m_player->source().isEmpty())
        m_player->setPosition(milliseconds);
    // The caption moves now, not when (or whether) the player reports the new position.
    OnPosition(milliseconds);
}

void MediaPreview::ShowStill(const QImage& frame)
{
    m_still->setPixmap(QPixmap::fromImage(frame));
    if (!frame.isNull())
        m_video->setSize(frame.size());
    Fit();
}

void MediaPreview::SetSoundCheck(std::function<bool()> hasSound)
{
    m_hasSound = std::move(hasSound);
    FollowSoundOutputs();
}

namespace {

QString ShownAt(const std::vector<::Caption>& captions, qint64 position)
{
    QStringList shown;
    for (const int index : SubtitleSentences::Shown(captions, int32_t(position)))
        shown.append(captions[size_t(index)].text);
    return shown.join(QLatin1Char('\n'));
}

} // namespace

QString MediaPreview::Caption() const
{
    const int choice = m_translation.empty() ? SourceShown : m_captionChoice->currentIndex();
    const QString source = choice == TranslationShown ? QString() : ShownAt(m_captions, m_position);
    const QString translation = choice == SourceShown ? QString() : ShownAt(m_translation, m_position);
    if (source.isEmpty() || translation.isEmpty())
        return source + translation;
    return source + QLatin1Char('\n') + translation;
}

void MediaPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Fit();
}

void MediaPreview::OnPosition(qint64 milliseconds)
{
    m_position = milliseconds;
    if (!m_slider->isSliderDown())
        m_slider->setValue(int(milliseconds));
    m_time->setText(kTime.arg(Clock(milliseconds), Clock(m_duration)));
    ShowCaption();
}

void MediaPreview::OnDuration(qint64 milliseconds)
{
    // Until the player knows the file's length, the slider reaches at least the last caption.
    qint64 lastEnd = 0;
    for (const ::Caption& caption : m_captions)
        lastEnd = std::max<qint64>(lastEnd, caption.end);
    m_duration = std::max(milliseconds, lastEnd);
    m_slider->setRange(0, int(m_duration));
    m_time->setText(kTime.arg(Clock(m_position), Clock(m_duration)));
}

void MediaPreview::OnMediaStatus(int status)
{
    if (status != QMediaPlayer::LoadedMedia || m_player->playbackState() != QMediaPlayer::StoppedState)
        return;
    // A paused player draws the frame it is at, where a stopped one leaves the picture black.
    const qint64 at = m_position;
    m_player->pause();
    // A seek made while the file opened stands.
    if (at > 0)
        m_player->setPosition(at);
}

void MediaPreview::FollowSoundOutputs()
{
    const bool sound = m_hasSound();
    if (sound && !m_player->audioOutput()) {
        // The output was made for the default device of its time, which may have been none.
        m_audio->setDevice(QMediaDevices::defaultAudioOutput());
        m_player->setAudioOutput(m_audio);
    } else if (!sound && m_player->audioOutput()) {
        m_player->setAudioOutput(nullptr);
    }
    m_dubbed->SetSoundOutput(sound);
    m_soundNote->setVisible(!sound && !m_path.isEmpty() && m_player->isAvailable());
}

void MediaPreview::ShowCaption()
{
    const QString text = Caption();
    const QSizeF frame = m_video->size();
    m_caption->setVisible(!text.isEmpty());
    m_captionBack->setVisible(!text.isEmpty());
    if (text.isEmpty())
        return;
    const QString translation =
        m_translation.empty() || m_captionChoice->currentIndex() != BothShown ? QString() : ShownAt(m_translation, m_position);
    if (translation.isEmpty() || translation == text) {
        m_caption->setPlainText(text);
    } else {
        // Stacked, the translation takes a colour of its own so the two read as two languages.
        const QString source = text.left(text.size() - translation.size() - 1);
        m_caption->setHtml(source.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) +
                           kTranslationLine.arg(translation.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
    }
    m_caption->setTextWidth(-1);
    // Long lines wrap within the picture rather than run off it.
    if (m_caption->boundingRect().width() > frame.width() - 2 * kCaptionMargin)
        m_caption->setTextWidth(frame.width() - 2 * kCaptionMargin);
    m_caption->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    const QSizeF size = m_caption->boundingRect().size();
    const QPointF at((frame.width() - size.width()) / 2, frame.height() - kCaptionMargin - size.height());
    m_caption->setPos(at);
    m_captionBack->setRect(QRectF(at, size).adjusted(-kCaptionPadding, 0, kCaptionPadding, 0));
}

void MediaPreview::Fit()
{
    m_view->scene()->setSceneRect(QRectF(QPointF(0, 0), m_video->size()));
    m_view->fitInView(m_view->sceneRect(), Qt::KeepAspectRatio);
    ShowCaption();
}

void MediaPreview::Tell(const QString& message)
{
    m_message->setText(message);
    m_message->show();
}
