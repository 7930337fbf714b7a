#pragma once
// The rename dialog: one box for a sheet's new name. OK refuses a name that
// cannot be a sheet's name with a message and stays open.
#include "sheets/dialog_base.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

class frmRenameWksheet : public BwDialog {
    Q_OBJECT
public:
    frmRenameWksheet();

    QLineEdit* txtName = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QRadioButton* optCancelled = nullptr;

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void cancelRequested() override { cmdCancel_Click(); }
};
