#pragma once

#include "host/HostWindow.h"

#include <QDialog>

// The base of every dialog: the editor's colours and the handlers dialogs chain to. OnInitDialog
// runs once, before the dialog is first shown.
class CQOVBaseDlg : public HostWindow<QDialog>
{
public:
    explicit CQOVBaseDlg(QWidget* parent = nullptr)
        : HostWindow(parent)
    {
    }

    // Shows the dialog modally; QDialog::Accepted or QDialog::Rejected.
    int DoModal() { return exec(); }

protected:
    virtual bool OnInitDialog() { return true; }

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool m_initialised = false;
};
