#pragma once
// File > Options: the number of previous files shown, the default view and
// folder, the data provider, and the datasheets and templates files.
#include "sheets/dialog_base.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmOptions : public BwDialog {
    Q_OBJECT
public:
    frmOptions();

    QComboBox* cmbPrevFiles = nullptr;
    QComboBox* cmbDefaultView = nullptr;
    QLineEdit* txtDefaultDir = nullptr;
    QComboBox* cmbProvider = nullptr;
    // Element 1: the datasheets file, 2: the templates file.
    QLineEdit* txtStdFile(int index) const { return txtStdFile_[static_cast<size_t>(index)]; }
    QPushButton* cmdBrowse(int index) const { return cmdBrowse_[static_cast<size_t>(index)]; }
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QRadioButton* optCancelled = nullptr;

    void Form_Load();
    void cmdBrowse_Click(int index);
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void cancelRequested() override { cmdCancel_Click(); }

private:
    std::array<QLineEdit*, 3> txtStdFile_{};
    std::array<QPushButton*, 3> cmdBrowse_{};
};

// File > Options: shows the dialog and applies and stores what it holds on
// OK. A store that cannot be written is reported.
void mnuFileOptions();
