#include "apps/studio/ExportDialog.h"

#include "apps/studio/ResultInbox.h"
#include "mediakit/LanguageCode.h"
#include "mediakit/VideoMuxTask.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("导出视频：%1");
const QString kOriginal = QStringLiteral("原声（不加配音）");
const QStringList kMixes{QStringLiteral("压低原声，叠加配音"), QStringLiteral("只用配音"), QStringLiteral("原声与配音叠加")};
const QString kNoBurn = QStringLiteral("不烧录");
const QString kExport = QStringLiteral("导出");
const QString kStopExport = QStringLiteral("停止");
const QString kExporting = QStringLiteral("导出中 %1%");
const QString kExported = QStringLiteral("已导出：%1");
const QString kExportStopped = QStringLiteral("已停止，未留下文件");
const QString kFailed = QStringLiteral("导出失败：%1");
constexpr double kDefaultDuckDb = 12.0;
constexpr double kDefaultLoudness = -16.0;

} // namespace

ExportDialog::ExportDialog(const StudioProject& project, const MediaFile& media, QWidget* parent)
    : QDialog(parent)
    , m_media(media)
    , m_track(new QComboBox)
    , m_mix(new QComboBox)
    , m_duck(new QDoubleSpinBox)
    , m_subtitles(new QListWidget)
    , m_burn(new QComboBox)
    , m_loudness(new QCheckBox(QStringLiteral("响度标准化到")))
    , m_target(new QDoubleSpinBox)
    , m_progress(new QProgressBar)
    , m_status(new QLabel)
    , m_start(new QPushButton(kExport))
{
    setWindowTitle(kTitle.arg(QFileInfo(media.path).fileName()));
    // The dubbed tracks are the bin's audio results that belong to the file, the latest first.
    m_track->addItem(kOriginal);
    const QList<ToolResult>& bin = project.Bin();
    for (auto result = bin.crbegin(); result != bin.crend(); ++result) {
        if (result->owner == media.id && ResultInbox::IsAudio(result->path))
            m_track->addItem(QFileInfo(result->path).fileName(), result->path);
    }
    m_track->setCurrentIndex(m_track->count() > 1 ? 1 : 0);
    m_mix->addItems(kMixes);
    m_duck->setRange(0, 40);
    m_duck->setValue(kDefaultDuckDb);
    m_duck->setSuffix(QStringLiteral(" dB"));
    m_burn->addItem(kNoBurn);
    for (const ToolResult& subtitles : media.subtitles) {
        auto* item = new QListWidgetItem(QFileInfo(subtitles.path).fileName(), m_subtitles);
        item->setData(Qt::UserRole, subtitles.path);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        m_burn->addItem(QFileInfo(subtitles.path).fileName(), subtitles.path);
    }
    m_subtitles->setMaximumHeight(90);
    m_target->setRange(-40, -5);
    m_target->setValue(kDefaultLoudness);
    m_target->setSuffix(QStringLiteral(" LUFS"));
    m_progress->setRange(0, VideoMuxTask::kWhole);
    m_progress->setValue(0);
    m_status->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("配音音轨"), m_track);
    form->addRow(QStringLiteral("混音方式"), m_mix);
    form->addRow(QStringLiteral("压低原声"), m_duck);
    form->addRow(QStringLiteral("字幕流"), m_subtitles);
    form->addRow(QStringLiteral("烧录到画面"), m_burn);
    auto* loudness = new QHBoxLayout;
    loudness->addWidget(m_loudness);
    loudness->addWidget(m_target, 1);
    form->addRow(QStringLiteral("响度"), loudness);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_start);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    const auto follow = [this] {
        const bool track = m_track->currentIndex() > 0;
        m_mix->setEnabled(track);
        m_duck->setEnabled(track && m_mix->currentIndex() == 0);
        m_target->setEnabled(m_loudness->isChecked());
    };
    connect(m_track, &QComboBox::currentIndexChanged, this, follow);
    connect(m_mix, &QComboBox::currentIndexChanged, this, follow);
    connect(m_loudness, &QCheckBox::toggled, this, follow);
    follow();
    connect(m_start, &QPushButton::clicked, this, &ExportDialog::StartOrStop);
    connect(&m_task, &ServiceTask::progress, this, [this](int done, const QString&) {
        m_progress->setValue(done);
        m_status->setText(kExporting.arg(done * 100 / VideoMuxTask::kWhole));
    });
    connect(&m_task, &ServiceTask::ended, this, &ExportDialog::OnEnded);
}

// The export stops with the dialog; its worker keeps its own copies and leaves no file.
ExportDialog::~ExportDialog() = default;

void ExportDialog::StartOrStop()
{
    if (m_task.Busy()) {
        m_task.Stop();
        return;
    }
    VideoMux::Request request;
    request.video = m_media.path;
    request.track = m_track->currentData().toString();
    static const AudioMixdown::Mode kModes[] = {AudioMixdown::Mode::Duck, AudioMixdown::Mode::Replace,
                                                AudioMixdown::Mode::Add};
    request.mix = request.track.isEmpty() ? AudioMixdown::Mode::Original : kModes[m_mix->currentIndex()];
    request.duckDb = m_duck->value();
    if (m_loudness->isChecked())
        request.loudness = m_target->value();
    m_streams.clear();
    for (int i = 0; i < m_subtitles->count(); ++i) {
        const QListWidgetItem* item = m_subtitles->item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        const QString path = item->data(Qt::UserRole).toString();
        request.subtitles.push_back({path, LanguageCode::FromFileName(path)});
        m_streams << path;
    }
    request.burn = m_burn->currentData().toString();
    // NAME.dubbed.EXT, or the first numbered name free when the file is whole.
    request.output = VideoMux::DubbedPath(m_media.path);
    request.freeName = true;
    if (!m_task.Start(VideoMuxTask::Make(request)))
        return;
    m_start->setText(kStopExport);
    m_status->setText(kExporting.arg(0));
}

void ExportDialog::OnEnded(const TaskEnd& end)
{
    m_start->setText(kExport);
    if (end.Stopped()) {
        m_progress->setValue(0);
        m_status->setText(kExportStopped);
        return;
    }
    if (!end.Succeeded()) {
        m_status->setText(kFailed.arg(end.error.text));
        return;
    }
    const QString path = end.value.toMap().value(QLatin1String(VideoMuxTask::kPath)).toString();
    m_progress->setValue(VideoMuxTask::kWhole);
    m_status->setText(kExported.arg(QFileInfo(path).fileName()));
    emit Exported(path, m_streams);
}

void ExportDialog::reject()
{
    m_task.Stop();
    QDialog::reject();
}
