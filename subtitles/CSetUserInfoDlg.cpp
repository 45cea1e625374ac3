#include "subtitles/CSetUserInfoDlg.h"

#include "host/CI3Button.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CZuEdit.h"
#include "host/QOVStringTable.h"
#include "ui/ToolControls.h"

#include <QLabel>

namespace {

const char* const kTitleKey = "填写语音转写用户信息";
// The template's client area; the controls follow its width and height.
constexpr QSize kTemplateSize(320, 100);
constexpr int kRowHeight = 20;
constexpr int kRowStep = 30;
constexpr int kLabelLeft = 5;
constexpr int kEditLeft = 40;
constexpr QSize kButtonSize(50, 20);
constexpr int kButtonStep = 60;

} // namespace

CSetUserInfoDlg::CSetUserInfoDlg(QWidget* parent)
    : CQOVBaseDlg(parent)
{
    setStyleSheet(CQOVDefUiSettings::GetDefUiSettings().StyleSheet());
    m_userLabel = ToolControls::Label(this, QStringLiteral("ID"));
    m_keyLabel = ToolControls::Label(this, QStringLiteral("Key"));
    // One line each, scrolling sideways under a long key.
    m_userEdit = new CZuEdit(this, IdUser);
    m_keyEdit = new CZuEdit(this, IdKey);
    ToolControls::Buttons(this, {{&m_cancel, IdCancel, "取消"}, {&m_ok, IdOk, "确定"}, {&m_clear, IdClear, "清空"}});
    m_cancel->SetWindowTextW(ZuLoadString(QStringLiteral("GLOBAL_IDC_CANCEL")));
    m_ok->SetWindowTextW(ZuLoadString(QStringLiteral("GLOBAL_IDC_OK")));
    connect(m_ok, &CI3Button::clicked, this, [this] {
        m_userId = m_userEdit->GetWindowTextW();
        m_key = m_keyEdit->GetWindowTextW();
        accept();
    });
    connect(m_cancel, &CI3Button::clicked, this, [this] { reject(); });
    connect(m_clear, &CI3Button::clicked, this, [this] {
        m_userEdit->SetWindowTextW(QString());
        m_keyEdit->SetWindowTextW(QString());
    });
    m_ok->setDefault(true);
    resize(kTemplateSize);
    setMinimumSize(kTemplateSize);
}

CZuEdit* CSetUserInfoDlg::Edit(int id) const
{
    return ToolControls::Find<CZuEdit>(this, id);
}

CI3Button* CSetUserInfoDlg::Button(int id) const
{
    return ToolControls::Find<CI3Button>(this, id);
}

bool CSetUserInfoDlg::OnInitDialog()
{
    CQOVBaseDlg::OnInitDialog();
    setWindowTitle(ZuLoadString(QString::fromUtf8(kTitleKey)));
    m_userEdit->SetWindowTextW(m_userId);
    m_keyEdit->SetWindowTextW(m_key);
    return true;
}

void CSetUserInfoDlg::OnSize(int type, int cx, int cy)
{
    CQOVBaseDlg::OnSize(type, cx, cy);
    m_userLabel->setGeometry(kLabelLeft, 5, kEditLeft - kLabelLeft, kRowHeight);
    m_userEdit->setGeometry(kEditLeft, 5, cx - 10 - kEditLeft, kRowHeight);
    m_keyLabel->setGeometry(kLabelLeft, 5 + kRowStep, kEditLeft - kLabelLeft, kRowHeight);
    m_keyEdit->setGeometry(kEditLeft, 5 + kRowStep, cx - 10 - kEditLeft, kRowHeight);
    const QPoint cancel(cx - 70, cy - 30);
    m_cancel->setGeometry(QRect(cancel, kButtonSize));
    m_ok->setGeometry(QRect(cancel - QPoint(kButtonStep, 0), kButtonSize));
    m_clear->setGeometry(QRect(cancel - QPoint(2 * kButtonStep, 0), kButtonSize));
}
