#include "workspace/frm_start_dialogs.h"

#include "platform/geometry.h"
#include "platform/gui/list_keys.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "workspace/globals.h"
#include "workspace/logo.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using platform::twipsToPixels;
using platform::gui::makeNamed;

frmSElWSFile::frmSElWSFile() : OkCancelDialog("frmSElWSFile", "Select Worksheet File ...") {
    imgLogo = makeNamed<QLabel>(this, "imgLogo");
    imgLogo->setPixmap(bandwrightLogo(72));
    imgLogo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    optExistFile = makeNamed<QRadioButton>(this, "optExistFile", "&Existing Worksheet Files");
    lstExistFiles = makeNamed<QListWidget>(this, "lstExistFiles");
    txtOpen = makeNamed<QLineEdit>(this, "txtOpen");
    txtOpen->setPlaceholderText("Path of the worksheet file to open");
    cmdBrowse = makeNamed<QPushButton>(this, "cmdBrowse", "&Browse ...");
    cmdBrowse->setAutoDefault(false);
    optNewFile = makeNamed<QRadioButton>(this, "optNewFile", "&New Worksheet File");
    makeOkCancel();
    optCancelled = hiddenOption("optCancelled");
    optNewFile->setChecked(true);

    auto* open = new QHBoxLayout;
    open->addWidget(txtOpen, 1);
    open->addWidget(cmdBrowse);
    auto* choices = new QVBoxLayout;
    choices->addWidget(optExistFile);
    choices->addWidget(lstExistFiles, 1);
    choices->addLayout(open);
    choices->addSpacing(8);
    choices->addWidget(optNewFile);
    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(imgLogo);
    top->addLayout(choices, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addLayout(buttonRow({cmdOK, cmdCancel}));
    resize(twipsToPixels(8400), twipsToPixels(4800));

    connect(optExistFile, &QRadioButton::clicked, this, &frmSElWSFile::optExistFile_Click);
    connect(lstExistFiles, &QListWidget::itemClicked, this, &frmSElWSFile::lstExistFiles_Click);
    // A file chosen with the keys (arrows, Home, End, Page Up, Page Down) is
    // chosen as by a click.
    platform::gui::chooseWithMovingKeys(lstExistFiles);
    connect(lstExistFiles, &QListWidget::itemSelectionChanged, this, [this] {
        if (!lstExistFiles->selectedItems().isEmpty()) lstExistFiles_Click();
    });
    lstExistFiles->installEventFilter(this);
    connect(lstExistFiles, &QListWidget::itemDoubleClicked, this,
            &frmSElWSFile::lstExistFiles_DblClick);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmSElWSFile::cmdBrowse_Click);
    // Typing a path chooses an existing file.
    connect(txtOpen, &QLineEdit::textEdited, this, [this] { optExistFile->setChecked(true); });
}

// While no file is chosen, the list's first arrow key chooses the first file.
// The list takes its first line as current when it gets the focus without
// choosing it, and an arrow would otherwise step over that line: "Existing
// Worksheet Files" and Down would choose the second file used, not the last.
bool frmSElWSFile::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lstExistFiles && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) &&
            key->modifiers() == Qt::NoModifier && lstExistFiles->count() > 0 &&
            lstExistFiles->selectedItems().isEmpty()) {
            lstExistFiles->setCurrentRow(0);
            return true;
        }
    }
    return OkCancelDialog::eventFilter(watched, e);
}

QString frmSElWSFile::listText() const {
    const auto selected = lstExistFiles->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void frmSElWSFile::optExistFile_Click() {
    lstExistFiles->setFocus();
    txtOpen->setText(listText());
}

void frmSElWSFile::lstExistFiles_Click() {
    optExistFile->setChecked(true);
    txtOpen->setText(listText());
}

void frmSElWSFile::lstExistFiles_DblClick(QListWidgetItem* item) {
    if (item) lstExistFiles->setCurrentItem(item);
    lstExistFiles_Click();
    hideDialog();
}

void frmSElWSFile::cmdBrowse_Click() {
    optExistFile->setChecked(true);
    lstExistFiles->setFocus();
    txtOpen->setText(listText());
    const QString chosen =
        platform::OpenFileDialog("Open Worksheet File", QString(), gDefaultDir,
                                 QString::fromLatin1(platform::kDatabaseFilesFilter));
    if (chosen.isEmpty()) return;
    txtOpen->setText(chosen);
    hideDialog();
}

void frmSElWSFile::cmdOK_Click() {
    hideDialog();
}

void frmSElWSFile::cmdCancel_Click() {
    hideWith(optCancelled);
}

frmNoTemplate::frmNoTemplate() : BwDialog("frmNoTemplate", "Template Not Found") {
    lblMessage = makeNamed<QLabel>(this, "lblMessage",
                                   "Template file was not found, or was not in correct format.");
    lblMessage->setWordWrap(true);
    cmdIgnore = makeNamed<QPushButton>(this, "cmdIgnore", "&Ignore Templates");
    cmdSelect = makeNamed<QPushButton>(this, "cmdSelect", "&Select File");
    cmdSelect->setDefault(true);
    optIgnore = hiddenOption("optIgnore");

    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(16);
    outer->addWidget(lblMessage);
    outer->addLayout(buttonRow({cmdIgnore, cmdSelect}));
    resize(twipsToPixels(6600), twipsToPixels(1500));

    connect(cmdIgnore, &QPushButton::clicked, this, &frmNoTemplate::cmdIgnore_Click);
    connect(cmdSelect, &QPushButton::clicked, this, &frmNoTemplate::cmdSelect_Click);
    Form_Load();
}

void frmNoTemplate::Form_Load() {
    optIgnore->setChecked(false);
}

void frmNoTemplate::cmdIgnore_Click() {
    hideWith(optIgnore);
}

void frmNoTemplate::cmdSelect_Click() {
    hideDialog();
}
