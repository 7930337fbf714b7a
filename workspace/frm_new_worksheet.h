#pragma once
// The new-worksheet dialog: a name, the band system and frequency range of
// a blank worksheet, or a template worksheet to start from.
#include "workspace/new_sheet_dialog.h"

class QListWidget;
class QListWidgetItem;

class frmNewWorksheet : public NewSheetDialog {
    Q_OBJECT
public:
    frmNewWorksheet();

    QGroupBox* frmSelect = nullptr;
    QRadioButton* optBlank = nullptr;
    QRadioButton* optTemplate = nullptr;
    QListWidget* lstTemplates = nullptr;

    // The template selected in the list ("" when none).
    QString selectedTemplate() const;

    void Form_Activate();
    void optBlank_Click();
    void optTemplate_Click();
    void lstTemplates_DblClick(QListWidgetItem* item);

protected:
    void showEvent(QShowEvent* e) override;
};
