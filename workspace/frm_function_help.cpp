#include "workspace/frm_function_help.h"

#include "platform/geometry.h"
#include "platform/gui/named.h"
#include "tables/help_tables.h"
#include "tables/vocabulary.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using platform::twipsToPixels;
using platform::gui::makeNamed;
using platform::gui::makeNamedAt;

namespace {

QPointer<frmFunctionHelp> instance;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// The function at list position `position` (1-based), or 0.
int functionAt(int position) {
    for (int f = 1; f <= gFuncCount && f < static_cast<int>(gFuncHelpOrder.size()); ++f)
        if (gFuncHelpOrder[static_cast<size_t>(f)] == position) return f;
    return 0;
}

} // namespace

frmFunctionHelp::frmFunctionHelp() : BwDialog("frmFunctionHelp", "Enter functions ...") {
    lstFuncs = makeNamed<QListWidget>(this, "lstFuncs");
    lblDesc = makeNamed<QLabel>(this, "lblDesc");
    lblDesc->setWordWrap(true);
    lblDesc->setMinimumHeight(twipsToPixels(500));
    lblDesc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Frame1 = makeNamed<QGroupBox>(this, "Frame1", "Arguments");
    auto* grid = new QGridLayout(Frame1);
    for (int p = 1; p <= 6; ++p) {
        lblPar[p] = makeNamedAt<QLabel>(Frame1, "lblPar", p);
        // The prompts take one width, a long one wrapping, so that the boxes
        // stay in place and no function widens the dialog.
        lblPar[p]->setWordWrap(true);
        lblPar[p]->setFixedWidth(twipsToPixels(2400));
        txtPar[p] = makeNamedAt<QLineEdit>(Frame1, "txtPar", p);
        txtPar[p]->setMinimumWidth(twipsToPixels(2400));
        grid->addWidget(lblPar[p], p - 1, 0);
        grid->addWidget(txtPar[p], p - 1, 1);
    }
    grid->setRowStretch(6, 1);
    cmdWrite = makeNamed<QPushButton>(this, "cmdWrite", "Write to Formula");
    cmdClose = makeNamed<QPushButton>(this, "cmdClose", "Close");
    optWrite = hiddenOption("optWrite");

    auto* right = new QVBoxLayout;
    right->addWidget(lblDesc);
    right->addWidget(Frame1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdWrite);
    buttons->addWidget(cmdClose);
    right->addLayout(buttons);
    auto* row = new QHBoxLayout(this);
    row->addWidget(lstFuncs);
    row->addLayout(right, 1);
    // The list keeps its width whatever function is chosen.
    lstFuncs->setFixedWidth(twipsToPixels(1600));

    connect(lstFuncs, &QListWidget::currentRowChanged, this, &frmFunctionHelp::lstFuncs_Click);
    connect(cmdWrite, &QPushButton::clicked, this, &frmFunctionHelp::cmdWrite_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmFunctionHelp::cmdClose_Click);
    Form_Load();
}

void frmFunctionHelp::fitEveryFunction() {
    // Room from the start for the function with the most and the longest
    // prompts, so that choosing another never makes the dialog grow.
    const int chosen = lstFuncs->currentRow();
    std::array<QString, 7> typed;
    for (int p = 1; p <= 6; ++p)
        typed[static_cast<size_t>(p)] = txtPar[p]->text();
    const int width = std::max(twipsToPixels(7200), minimumSizeHint().width());
    int height = twipsToPixels(4200);
    for (int row = 0; row < lstFuncs->count(); ++row) {
        lstFuncs->setCurrentRow(row);
        // Still being shown, the dialog hears of no change: its layout is
        // worked out again here.
        layout()->invalidate();
        layout()->activate();
        height = std::max({height, minimumSizeHint().height(), heightForWidth(width)});
    }
    // The function and the arguments as they were.
    lstFuncs->setCurrentRow(chosen);
    for (int p = 1; p <= 6; ++p)
        txtPar[p]->setText(typed[static_cast<size_t>(p)]);
    resize(width, height);
}

void frmFunctionHelp::Form_Load() {
    lstFuncs->clear();
    for (int i = 1; i <= gFuncCount; ++i)
        if (const int f = functionAt(i))
            lstFuncs->addItem(text(gFuncNames[static_cast<size_t>(f)]));
    if (lstFuncs->count() > 0) lstFuncs->setCurrentRow(0);
}

int frmFunctionHelp::selectedFunction() const {
    return functionAt(lstFuncs->currentRow() + 1);
}

void frmFunctionHelp::lstFuncs_Click() {
    const int f = selectedFunction();
    if (f <= 0) return;
    const auto i = static_cast<size_t>(f);
    lblDesc->setText(text(gFuncDesc[i]));
    const int n = gFuncArgCount[i];
    for (int p = 1; p <= 6; ++p) {
        const bool used = p <= n;
        lblPar[p]->setVisible(used);
        txtPar[p]->setVisible(used);
        if (used) {
            lblPar[p]->setText(text(gFuncArgPrompts[i][static_cast<size_t>(p)]));
            txtPar[p]->clear();
        }
    }
}

QString frmFunctionHelp::functionCall() const {
    const int f = selectedFunction();
    if (f <= 0) return QString();
    int n = std::min(gFuncArgCount[static_cast<size_t>(f)], 6);
    while (n > 1 && txtPar[n]->text().isEmpty())
        --n;
    QStringList args;
    for (int p = 1; p <= n; ++p)
        args << txtPar[p]->text();
    return text(gFuncNames[static_cast<size_t>(f)]) + "( " + args.join(", ") + " )";
}

void frmFunctionHelp::showEvent(QShowEvent* e) {
    // The controls take their sizes when first shown.
    if (!fitted_) {
        fitted_ = true;
        fitEveryFunction();
    }
    const bool writable = !cmdWrite->isHidden();
    cmdClose->setDefault(!writable);
    cmdWrite->setDefault(writable);
    BwDialog::showEvent(e);
}

void frmFunctionHelp::cmdWrite_Click() {
    optWrite->setChecked(true);
    hideDialog();
}

void frmFunctionHelp::cmdClose_Click() {
    hideDialog();
}

frmFunctionHelp& functionHelpForm() {
    if (!instance) instance = new frmFunctionHelp;
    return *instance;
}
