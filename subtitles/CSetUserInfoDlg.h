#pragma once

#include "host/CQOVBaseDlg.h"

#include <QString>

class CI3Button;
class CZuEdit;
class QLabel;

// The small modal dialog in which the user enters the file-transcription account: an identifier
// and a key. The caller sets both before DoModal and reads them back after OK; cancel leaves them.
class CSetUserInfoDlg : public CQOVBaseDlg
{
public:
    static constexpr int kTemplateId = 1008;
    enum ControlId { IdOk = 1, IdCancel = 2, IdUser = 2001, IdKey = 2002, IdClear = 2003 };

    explicit CSetUserInfoDlg(QWidget* parent = nullptr);

    QString m_userId;
    QString m_key;

    CZuEdit* Edit(int id) const;
    CI3Button* Button(int id) const;

protected:
    bool OnInitDialog() override;
    void OnSize(int type, int cx, int cy) override;

private:
    QLabel* m_userLabel = nullptr;
    QLabel* m_keyLabel = nullptr;
    CZuEdit* m_userEdit = nullptr;
    CZuEdit* m_keyEdit = nullptr;
    CI3Button* m_ok = nullptr;
    CI3Button* m_cancel = nullptr;
    CI3Button* m_clear = nullptr;
};
