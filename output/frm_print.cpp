#include "output/frm_print.h"

#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/named.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

using platform::gui::makeNamed;
using platform::gui::makeNamedAt;

namespace {

constexpr int kPrintKind = 4;

// Print items by index, listed as the frame shows them.
constexpr std::pair<int, const char*> kItems[] = {
    {1, "Spectrum Number"},  {2, "Description"},      {3, "Formula"},     {4, "Spectrum"},
    {5, "Summary Value #1"}, {6, "Summary Value #2"}, {8, "Blank Lines"}, {7, "Data Source Info."},
};

} // namespace

frmPrint::frmPrint(QWidget* parent) : OutputWindow(platform::gui::FormKind::Print, parent) {
    setObjectName("frmPrint");
    setWindowTitle("Print:");
    buildControls();
}

QCheckBox* frmPrint::chkPrintItem(int index) const {
    return index >= 1 && index <= 8 ? items_[static_cast<size_t>(index)] : nullptr;
}

int frmPrint::bandCount() const {
    return txtSheetType->text() == "1" ? 10 : 30;
}

void frmPrint::buildControls() {
    Frame1 = makeNamed<QGroupBox>(this, "Frame1", "Print:");
    auto* itemsLayout = new QVBoxLayout(Frame1);
    itemsLayout->setSpacing(6);
    for (const auto& [index, caption] : kItems) {
        QCheckBox* box = makeNamedAt<QCheckBox>(Frame1, "chkPrintItem", index, caption);
        items_[static_cast<size_t>(index)] = box;
        itemsLayout->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this, i = index] { chkPrintItem_Click(i); });
    }
    itemsLayout->addStretch(1);

    Label1 = makeNamed<QLabel>(this, "Label1", "Title text:");
    txtTitle = makeNamed<platform::gui::MultiLineTextBox>(this, "txtTitle");
    QFont titleFont("Arial");
    titleFont.setPointSizeF(9.75);
    titleFont.setBold(true);
    txtTitle->setFont(titleFont);
    txtTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtTitle->setFixedHeight(platform::twipsToPixels(1245));
    Label1->setBuddy(txtTitle);
    cmdPrint = makeNamed<QPushButton>(this, "cmdPrint", "PRINT");
    txtPrint = makeNamed<QTextEdit>(this, "txtPrint");
    txtPrint->setReadOnly(true);
    txtPrint->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtPrint->setLineWrapMode(QTextEdit::NoWrap);

    auto* left = new QVBoxLayout;
    left->addWidget(lstSpectra, 1);
    left->addWidget(Frame1);
    auto* head = new QGridLayout;
    head->addWidget(Label1, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    head->addWidget(cmdPrint, 1, 0, Qt::AlignLeft | Qt::AlignBottom);
    head->addWidget(txtTitle, 0, 1, 2, 1);
    head->setColumnStretch(1, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(head);
    right->addWidget(txtPrint, 1);
    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(8, 8, 8, 8);
    top->setSpacing(8);
    top->addLayout(left);
    top->addLayout(right, 1);
    lstSpectra->setFixedWidth(platform::twipsToPixels(2295));
    Frame1->setFixedWidth(platform::twipsToPixels(2295));

    connect(lstSpectra, &QListWidget::itemChanged, this, [this] {
        if (!fillingList_) lstSpectra_Click();
    });
    connect(cmdPrint, &QPushButton::clicked, this, &frmPrint::cmdPrint_Click);
}

void frmPrint::setUp(const QString& notes) {
    txtTitle->setText(isWorksheet() ? "Title: " + notes + "\nPrepared By: " : QString("Title: "));
    for (int i : {1, 2, 3, 4, 5, 6, 8})
        chkPrintItem(i)->setChecked(true);
    chkPrintItem(7)->setVisible(!isWorksheet());
    chkPrintItem(7)->setChecked(!isWorksheet());
    if (!isWorksheet()) {
        chkPrintItem(3)->setChecked(false);
        chkPrintItem(3)->setEnabled(false);
    }
}

void frmPrint::Form_Activate() {
    activated(kPrintKind);
    if (mFirstActivate) {
        readBoundRecords();
        fillList(std::vector<bool>(records().size(), true));
    } else {
        std::vector<bool> ticks;
        for (int i = 0; i < lstSpectra->count(); ++i)
            ticks.push_back(lstSpectra->item(i)->checkState() == Qt::Checked);
        if (auto match = rereadSheet()) {
            std::vector<bool> now(records().size(), true);
            for (size_t i = 0; i < now.size(); ++i) {
                const int was = (*match)[i];
                if (was >= 0 && was < static_cast<int>(ticks.size()))
                    now[i] = ticks[static_cast<size_t>(was)];
            }
            fillList(now);
        }
    }
    DoPrint();
    mFirstActivate = false;
}

void frmPrint::chkPrintItem_Click(int) {
    if (!mFirstActivate) DoPrint();
}

void frmPrint::lstSpectra_Click() {
    if (!mFirstActivate) DoPrint();
}

void frmPrint::DoPrint() {}

void frmPrint::cmdPrint_Click() {}

void frmPrint::copyPreview() {}
