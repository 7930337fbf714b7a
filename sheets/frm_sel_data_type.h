#pragma once
// The spectrum-type picker: the types a datasheet already uses, or a new
// one typed by the user.
#include "sheets/dialog_base.h"

class DatasheetWindow;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

class frmSelDataType : public OkCancelDialog {
    Q_OBJECT
public:
    frmSelDataType();

    QListWidget* lstSheets = nullptr;
    QPushButton* cmdNewType = nullptr;
    QLabel* lblNewType = nullptr;
    QLineEdit* txtNewType = nullptr;
    QRadioButton* optNewType = nullptr;
    QRadioButton* optCancelled = nullptr;

    // Prepares the picker for a datasheet window: its kind's selector label
    // as caption and its types in use (without "<All>") in the list, with
    // `selected` (when given) selected when it is one of them.
    void load(DatasheetWindow& window, const QString* selected);
    // The choice after the modal show: the new type's text after New Type,
    // else the selected item ("" when none).
    QString choice() const;

    void cmdCancel_Click() override;
    void cmdNewType_Click();
    void cmdOK_Click() override;
    void lstSheets_DblClick(QListWidgetItem* item);
};

// Asks for the type of spectra added to a datasheet window: "" when the user
// cancelled, chose nothing or typed nothing. A new type typed is added to
// the window's type selector at once.
QString GetDataType(DatasheetWindow& window);
