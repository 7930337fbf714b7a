#pragma once
// The new-datasheet dialog: a name, the band system and frequency range, and
// the spectrum type, which decides the datasheet's kind.
#include "workspace/new_sheet_dialog.h"

class QListWidget;

class frmNewDatasheet : public NewSheetDialog {
    Q_OBJECT
public:
    frmNewDatasheet();

    QLabel* lblDatType = nullptr;
    QListWidget* lstDatType = nullptr;

    void Form_Activate();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Makes the type list tall enough for all its items.
    void fitTypeList();
};
