#include "workspace/frm_options.h"

#include "platform/geometry.h"
#include "platform/gui/named.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "tables/globals.h"
#include "workspace/app_settings.h"
#include "workspace/globals.h"
#include "workspace/prev_files.h"
#include "workspace/sheet_files.h"
#include "workspace/worksheet_files.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using platform::gui::makeNamed;
using platform::gui::makeNamedAt;

namespace {

QComboBox* editableCombo(QWidget* parent, const char* name) {
    auto* c = makeNamed<QComboBox>(parent, name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

} // namespace

frmOptions::frmOptions() : BwDialog("frmOptions", "Options") {
    cmbPrevFiles = editableCombo(this, "cmbPrevFiles");
    cmbDefaultView = editableCombo(this, "cmbDefaultView");
    txtDefaultDir = makeNamed<QLineEdit>(this, "txtDefaultDir");
    cmbProvider = editableCombo(this, "cmbProvider");
    for (int i = 1; i <= 2; ++i) {
        txtStdFile_[static_cast<size_t>(i)] = makeNamedAt<QLineEdit>(this, "txtStdFile", i);
        cmdBrowse_[static_cast<size_t>(i)] =
            makeNamedAt<QPushButton>(this, "cmdBrowse", i, "Browse ...");
        cmdBrowse_[static_cast<size_t>(i)]->setAutoDefault(false);
        connect(cmdBrowse_[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdBrowse_Click(i); });
    }
    cmdOK = makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdCancel = makeNamed<QPushButton>(this, "cmdCancel", "Cancel");
    cmdOK->setDefault(true);
    optCancelled = hiddenOption("optCancelled");

    for (QComboBox* c : {cmbPrevFiles, cmbDefaultView, cmbProvider})
        c->setFixedWidth(platform::twipsToPixels(2400));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->addRow("Previously-used files in list:", cmbPrevFiles);
    form->addRow("Default worksheet view:", cmbDefaultView);
    form->addRow("Defalut directory for worksheets:", txtDefaultDir);
    form->addRow("Data Provider:", cmbProvider);
    for (int i = 1; i <= 2; ++i) {
        auto* row = new QHBoxLayout;
        row->addWidget(txtStdFile(i), 1);
        row->addWidget(cmdBrowse(i));
        form->addRow(i == 1 ? "Location of Datasheets File:" : "Location of Templates File:", row);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addSpacing(8);
    outer->addLayout(buttons);
    resize(platform::twipsToPixels(10500), sizeHint().height());

    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    Form_Load();
}

void frmOptions::Form_Load() {
    optCancelled->setChecked(false);
    cmbPrevFiles->clear();
    for (int i = 1; i <= 10; ++i)
        cmbPrevFiles->addItem(' ' + QString::number(i));
    // The list opens at the current number; the box shows it without a blank.
    cmbPrevFiles->setCurrentIndex(gShowFiles >= 1 && gShowFiles <= 10 ? gShowFiles - 1 : -1);
    cmbPrevFiles->setCurrentText(QString::number(gShowFiles));
    cmbDefaultView->clear();
    cmbDefaultView->addItems({"Spreadsheet", "Formula"});
    cmbDefaultView->setCurrentText(gDefaultView);
    txtDefaultDir->setText(gDefaultDir);
}

void frmOptions::cmdBrowse_Click(int index) {
    const QString chosen = platform::OpenFileDialog(
        index == 1 ? "Select Datasheets File" : "Select Templates File", txtStdFile(index)->text(),
        QString(), QString::fromLatin1(platform::kDatabaseFilesFilter));
    if (!chosen.isEmpty()) txtStdFile(index)->setText(chosen);
}

void frmOptions::cmdOK_Click() {
    hideDialog();
}

void frmOptions::cmdCancel_Click() {
    optCancelled->setChecked(true);
    hideDialog();
}

void mnuFileOptions() {
    frmOptions dialog;
    dialog.cmbProvider->clear();
    dialog.cmbProvider->addItems({"OLE 4.0", "OLE 3.51"});
    dialog.cmbProvider->setCurrentText(
        QString::fromStdString(gConnect) == workspace::kProvider40 ? "OLE 4.0" : "OLE 3.51");
    dialog.txtStdFile(1)->setText(gDatasheetPath);
    dialog.txtStdFile(2)->setText(gTemplatePath);
    dialog.place(2500, 2000);
    platform::ShowModal(dialog);
    if (dialog.optCancelled->isChecked()) return;

    gShowFiles = workspace::showFilesFromText(dialog.cmbPrevFiles->currentText());
    gDefaultView = dialog.cmbDefaultView->currentText();
    gDefaultDir = dialog.txtDefaultDir->text();
    gConnect = (dialog.cmbProvider->currentText() == "OLE 4.0" ? workspace::kProvider40
                                                               : workspace::kProvider351)
                   .toStdString();
    gTemplatePath = dialog.txtStdFile(2)->text();
    gTemplateOK = SheetsListFileOK(gTemplatePath);
    gDatasheetPath = dialog.txtStdFile(1)->text();
    gDatasheetOK = SheetsListFileOK(gDatasheetPath);
    holdSharedFiles();
    ShowPrevFiles();
    try {
        workspace::saveSetting("StartUp", "ShowFiles", ' ' + QString::number(gShowFiles));
        workspace::saveSetting("StartUp", "DefaultView", gDefaultView);
        workspace::saveSetting("StartUp", "DefaultDir", gDefaultDir);
        workspace::saveSetting("StartUp", "Connection", QString::fromStdString(gConnect));
        if (gTemplateOK) workspace::saveSetting("Startup", "TemplateFile", gTemplatePath);
        if (gDatasheetOK) workspace::saveSetting("Startup", "DatasheetFile", gDatasheetPath);
    } catch (const platform::SettingsError& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
