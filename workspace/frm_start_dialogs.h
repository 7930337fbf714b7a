#pragma once
// The two dialogs of start-up: the start dialog, which opens an existing
// worksheet file or makes a new one, and "Template Not Found".
#include "sheets/dialog_base.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

class frmSElWSFile : public OkCancelDialog {
    Q_OBJECT
public:
    frmSElWSFile();

    QLabel* imgLogo = nullptr;
    QRadioButton* optExistFile = nullptr;
    QListWidget* lstExistFiles = nullptr;
    QLineEdit* txtOpen = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QRadioButton* optNewFile = nullptr;
    QRadioButton* optCancelled = nullptr;

    void optExistFile_Click();
    void lstExistFiles_Click();
    void lstExistFiles_DblClick(QListWidgetItem* item);
    void cmdBrowse_Click();
    void cmdOK_Click() override;
    void cmdCancel_Click() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QString listText() const;
};

class frmNoTemplate : public BwDialog {
    Q_OBJECT
public:
    frmNoTemplate();

    QLabel* lblMessage = nullptr;
    QPushButton* cmdIgnore = nullptr;
    QPushButton* cmdSelect = nullptr;
    QRadioButton* optIgnore = nullptr;

    void Form_Load();
    void cmdIgnore_Click();
    void cmdSelect_Click();

protected:
    // Closing the dialog leaves the templates out, as "Ignore Templates" does.
    void cancelRequested() override { cmdIgnore_Click(); }
};
