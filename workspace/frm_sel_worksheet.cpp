#include "workspace/frm_sel_worksheet.h"

#include "platform/geometry.h"
#include "platform/gui/list_keys.h"
#include "platform/gui/named.h"
#include "platform/ui.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using platform::twipsToPixels;
using platform::gui::makeNamed;

frmSelWorksheet::frmSelWorksheet() : BwDialog("frmSelWorksheet", "Select Worksheet") {
    lstSheets = makeNamed<QListWidget>(this, "lstSheets");
    lstSheets->setSelectionMode(QAbstractItemView::SingleSelection);
    platform::gui::chooseWithMovingKeys(lstSheets);
    cmdOK = makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdCancel = makeNamed<QPushButton>(this, "cmdCancel", "Cancel");
    cmdNewFile = makeNamed<QPushButton>(this, "cmdNewFile", "Different File");
    optCancelled = hiddenOption("optCancelled");
    optNewFile = hiddenOption("optNewFile");
    cmdOK->setDefault(true);

    const int buttonWidth = twipsToPixels(1215);
    for (QPushButton* b : {cmdOK, cmdCancel, cmdNewFile})
        b->setMinimumWidth(buttonWidth);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addSpacing(twipsToPixels(600));
    buttons->addWidget(cmdNewFile);
    buttons->addStretch();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(twipsToPixels(120), twipsToPixels(120), twipsToPixels(120),
                            twipsToPixels(120));
    row->setSpacing(twipsToPixels(225));
    row->addWidget(lstSheets, 1);
    row->addLayout(buttons);
    resize(twipsToPixels(5145), twipsToPixels(3120));

    connect(cmdOK, &QPushButton::clicked, this, &frmSelWorksheet::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSelWorksheet::cmdCancel_Click);
    connect(cmdNewFile, &QPushButton::clicked, this, &frmSelWorksheet::cmdNewFile_Click);
    connect(lstSheets, &QListWidget::itemDoubleClicked, this, &frmSelWorksheet::lstSheets_DblClick);
}

QString frmSelWorksheet::Text() const {
    const auto selected = lstSheets->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void frmSelWorksheet::cmdOK_Click() {
    hideDialog();
}

void frmSelWorksheet::cmdCancel_Click() {
    optCancelled->setChecked(true);
    hideDialog();
}

void frmSelWorksheet::cmdNewFile_Click() {
    optNewFile->setChecked(true);
    hideDialog();
}

void frmSelWorksheet::lstSheets_DblClick(QListWidgetItem* item) {
    // The entry double-clicked is the one chosen.
    if (item) lstSheets->setCurrentItem(item);
    hideDialog();
}

SheetPick pickFromList(const QString& caption, const QStringList& items, bool showDifferentFile,
                       const QString& preselect) {
    frmSelWorksheet picker;
    picker.setWindowTitle(caption);
    picker.lstSheets->addItems(items);
    if (!preselect.isEmpty()) {
        const auto found = picker.lstSheets->findItems(preselect, Qt::MatchExactly);
        if (!found.isEmpty()) picker.lstSheets->setCurrentItem(found.first());
    }
    picker.cmdNewFile->setVisible(showDifferentFile);
    picker.optCancelled->setChecked(false);
    picker.optNewFile->setChecked(false);
    picker.place(2000, 2000);
    platform::ShowModal(picker);

    SheetPick pick;
    if (picker.optCancelled->isChecked()) return pick;
    if (picker.optNewFile->isChecked()) {
        pick.outcome = SheetPick::DifferentFile;
        return pick;
    }
    pick.text = picker.Text();
    const auto selected = picker.lstSheets->selectedItems();
    if (!selected.isEmpty()) pick.index = picker.lstSheets->row(selected.first());
    if (!pick.text.isEmpty() || !selected.isEmpty()) pick.outcome = SheetPick::Chosen;
    return pick;
}
