#include "workspace/frm_rename_wksheet.h"

#include "platform/geometry.h"
#include "platform/gui/named.h"
#include "workspace/sheet_names.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using platform::twipsToPixels;
using platform::gui::makeNamed;

frmRenameWksheet::frmRenameWksheet() : BwDialog("frmRenameWksheet", "New Worksheet Name:") {
    txtName = makeNamed<QLineEdit>(this, "txtName");
    cmdOK = makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdCancel = makeNamed<QPushButton>(this, "cmdCancel", "Cancel");
    optCancelled = hiddenOption("optCancelled");
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(twipsToPixels(1095));
    cmdCancel->setMinimumWidth(twipsToPixels(1215));

    auto* buttons = new QHBoxLayout;
    buttons->addSpacing(twipsToPixels(420));
    buttons->addWidget(cmdOK);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    buttons->addSpacing(twipsToPixels(600));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(twipsToPixels(40), twipsToPixels(120), twipsToPixels(40),
                               twipsToPixels(120));
    column->setSpacing(twipsToPixels(195));
    column->addWidget(txtName);
    column->addLayout(buttons);
    resize(twipsToPixels(4650), twipsToPixels(1095));

    connect(cmdOK, &QPushButton::clicked, this, &frmRenameWksheet::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRenameWksheet::cmdCancel_Click);
    Form_Load();
}

void frmRenameWksheet::Form_Load() {
    optCancelled->setChecked(false);
}

void frmRenameWksheet::cmdOK_Click() {
    if (sheetNameAccepted(txtName)) hideDialog();
}

void frmRenameWksheet::cmdCancel_Click() {
    optCancelled->setChecked(true);
    hideDialog();
}
