#pragma once
// The sheet picker: one list of names to choose from, shared by every
// command that asks for a sheet (open, delete, the meter import's column).
// Its caption says what is chosen; "Different File" shows only where
// another file may be picked instead.
#include "sheets/dialog_base.h"

#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

class frmSelWorksheet : public BwDialog {
    Q_OBJECT
public:
    frmSelWorksheet();

    QListWidget* lstSheets = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdNewFile = nullptr; // "Different File"
    QRadioButton* optCancelled = nullptr;
    QRadioButton* optNewFile = nullptr;

    // The selected entry's text ("" when none is selected).
    QString Text() const;

    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdNewFile_Click();
    void lstSheets_DblClick(QListWidgetItem* item);

protected:
    void cancelRequested() override { cmdCancel_Click(); }
};

// What the user did with the picker.
struct SheetPick {
    enum Outcome { Chosen, Cancelled, DifferentFile };
    Outcome outcome = Cancelled;
    QString text;   // the chosen entry
    int index = -1; // its position in the list, from 0
};

// Shows the picker modally at Left 2000, Top 2000 twips with this caption
// and these entries in order, `preselect` selected when it is one of them.
// OK with no entry selected counts as Cancel.
SheetPick pickFromList(const QString& caption, const QStringList& items, bool showDifferentFile,
                       const QString& preselect = {});
