#pragma once

#include "host/CMsgReceiver.h"
#include "host/CQOVWndColorMgr.h"

#include <QDialog>

class QPainter;

// The base of every dialog: the editor's colours and the handlers dialogs chain to. OnInitDialog
// runs once, before the dialog is first shown.
class CQOVBaseDlg : public QDialog, public CMsgReceiver, public CQOVWndColorMgr
{
public:
    explicit CQOVBaseDlg(QWidget* parent = nullptr);

    // Shows the dialog modally; QDialog::Accepted or QDialog::Rejected.
    int DoModal();

protected:
    virtual bool OnInitDialog();
    virtual void OnSize(int type, int cx, int cy);
    virtual bool PreTranslateMessage(QObject* target, QEvent* event);
    virtual void OnDraw(QPainter& painter);

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_initialised = false;
};
