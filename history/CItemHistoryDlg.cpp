#include "history/CItemHistoryDlg.h"

#include "history/CItemListWnd.h"
#include "history/TaskItemBuilder.h"
#include "host/CI3Button.h"
#include "host/CQOVDefUiSettings.h"
#include "ui/SharedWindowState.h"
#include "ui/ToolControls.h"
#include "service/ToolTable.h"
#include "service/TransLog.h"

#include <QDateEdit>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {

const QString kTitle = QStringLiteral("历史记录");
const QString kStartLabel = QStringLiteral("开始日期");
const QString kEndLabel = QStringLiteral("截至日期");
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

// The bottom row of controls sits this far above the bottom edge.
constexpr int kBottomRow = 30;
constexpr int kControlHeight = 20;

QDateEdit* MakePicker(QWidget* parent, int id)
{
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::number(id));
    picker->setDisplayFormat(kDateFormat);
    picker->setCalendarPopup(true);
    picker->setFocusPolicy(Qt::StrongFocus);
    picker->setFont(CQOVDefUiSettings::GetDefUiSettings().defaultFont);
    return picker;
}

} // namespace

bool CItemHistoryDlg::Create(int templateId, QWidget* parent)
{
    if (templateId != kTemplateId)
        return false;
    setParent(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setSizeGripEnabled(true);
    setStyleSheet(CQOVDefUiSettings::GetDefUiSettings().StyleSheet());
    setWindowTitle(kTitle);

    m_list = new CItemListWnd(this);
    m_list->Create(this, QRect(5, 5, kMinTrackSize.width() - 10, kMinTrackSize.height() - 40), kListId);
    m_startLabel = ToolControls::Label(this, kStartLabel);
    m_endLabel = ToolControls::Label(this, kEndLabel);
    m_start = MakePicker(this, kStartPickerId);
    m_end = MakePicker(this, kEndPickerId);
    ToolControls::Buttons(this, {{&m_close, kCloseId, "关闭"}, {&m_refresh, kRefreshId, "刷新"}});
    // A modeless dialog is only hidden, and kept for the next request.
    connect(m_close, &CI3Button::clicked, this, [this] { reject(); });
    connect(m_refresh, &CI3Button::clicked, this, [this] { Refresh(); });

    // The template is smaller than the smallest size the dialog may take, so it opens at that.
    setMinimumSize(kMinTrackSize);
    resize(kMinTrackSize);
    OnSize(0, width(), height());
    return true;
}

void CItemHistoryDlg::OnSize(int type, int cx, int cy)
{
    CQOVBaseDlg::OnSize(type, cx, cy);
    if (!m_list)
        return;
    const int y = cy - kBottomRow;
    m_list->setGeometry(5, 5, cx - 10, cy - 40);
    m_startLabel->setGeometry(5, y, 55, kControlHeight);
    m_start->setGeometry(60, y, 95, kControlHeight);
    m_endLabel->setGeometry(160, y, 55, kControlHeight);
    m_end->setGeometry(215, y, 95, kControlHeight);
    m_refresh->setGeometry(315, y, 60, kControlHeight);
    m_close->setGeometry(cx - 80, y, 60, kControlHeight);
}

void CItemHistoryDlg::SetOwnerWnd(QWidget* tool)
{
    if (m_list)
        m_list->SetOwnerTool(tool);
}

void CItemHistoryDlg::SetRowHeight(int height)
{
    if (m_list)
        m_list->SetRowHeight(height);
}

void CItemHistoryDlg::ShowTool()
{
    if (const ToolRow* row = ToolTable::FindByHistoryNumber(m_toolType))
        m_log = &GetToolLog(row->id);
    if (m_log && m_start) {
        m_start->setDate(m_log->RangeStart().date());
        m_end->setDate(m_log->RangeEnd().date());
    }
    FillList();
}

void CItemHistoryDlg::Refresh()
{
    if (!m_log || !m_start)
        return;
    // The pickers show days; a day picked means all of it, whatever time the range carried before.
    const QDateTime start(m_start->date(), QTime(0, 0, 0));
    const QDateTime end(m_end->date(), QTime(23, 59, 59));
    m_log->SetRange(start, end);
    m_log->ClearItems();
    m_log->LoadLogs();
    FillList();
}

void CItemHistoryDlg::FillList()
{
    if (!m_list)
        return;
    m_list->DeleteAllItems();
    if (m_log) {
        ThumbnailCache& thumbnails = SharedWindowState::Get().Thumbnails();
        for (const TransLogItem& record : m_log->Items())
            m_list->AddItem(TaskItemBuilder::Build(record, m_toolType, thumbnails));
    }
    m_list->UpdateScrollInfo();
}

CItemHistoryDlg* GetHistoryDlg()
{
    QPointer<QWidget>& slot = SharedWindowState::Get().historyDialog;
    if (auto* existing = dynamic_cast<CItemHistoryDlg*>(slot.data()))
        return existing;
    auto* dialog = new CItemHistoryDlg;
    dialog->Create(CItemHistoryDlg::kTemplateId, nullptr);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    slot = dialog;
    return dialog;
}
