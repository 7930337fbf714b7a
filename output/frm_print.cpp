#include "output/frm_print.h"

#include "engine/globals.h"
#include "platform/flag_guard.h"
#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/named.h"
#include "platform/gui/printer.h"
#include "platform/gui/printer_dialog.h"
#include "platform/gui/rtf_writer.h"
#include "platform/ui.h"

#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

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
    QFont previewFont("Arial");
    previewFont.setPointSizeF(9);
    txtPrint->document()->setDefaultFont(previewFont);
    // Columns as wide as the widest band label and a little air: ten fit the box.
    QFont boldFont = previewFont;
    boldFont.setBold(true);
    txtPrint->setTabStopDistance(QFontMetricsF(boldFont).horizontalAdvance("31.5Hz    "));

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
    // As designed, or as wide as the item captions need in the font of the day.
    const int leftWidth = std::max(platform::twipsToPixels(2295), Frame1->sizeHint().width());
    lstSpectra->setFixedWidth(leftWidth);
    Frame1->setFixedWidth(leftWidth);

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

PrintItems frmPrint::printItems() const {
    PrintItems items;
    for (int i = 1; i <= 8; ++i)
        items.on[static_cast<size_t>(i)] = chkPrintItem(i)->isChecked();
    return items;
}

std::vector<const OutputRecord*> frmPrint::tickedRecords() const {
    std::vector<const OutputRecord*> out;
    const auto& recs = records();
    for (int i = 0; i < lstSpectra->count() && i < static_cast<int>(recs.size()); ++i)
        if (lstSpectra->item(i)->checkState() == Qt::Checked)
            out.push_back(&recs[static_cast<size_t>(i)]);
    return out;
}

void frmPrint::DoPrint() {
    platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
    PreviewInput in;
    in.items = printItems();
    in.nBands = bandCount();
    in.firstBand = firstBand();
    in.records = tickedRecords();
    const std::vector<PreviewRun> runs = previewRuns(in);

    QTextDocument* doc = txtPrint->document();
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    QTextCharFormat regular, bold;
    regular.setFontWeight(QFont::Normal);
    bold.setFontWeight(QFont::Bold);
    for (const PreviewRun& run : runs) {
        // The preview's lines end with a line feed: the last ends the text.
        QString text = run.text;
        if (&run == &runs.back() && text.endsWith('\n')) text.chop(1);
        cursor.insertText(text, run.bold ? bold : regular);
    }
    cursor.endEditBlock();
}

void frmPrint::copyPreview() {
    const QTextCursor cursor = txtPrint->textCursor();
    if (!cursor.hasSelection()) {
        platform::setClipboard(txtPrint->toPlainText(),
                               platform::toRtf(platform::rtfDocumentFrom(*txtPrint->document())));
        return;
    }
    const QTextDocumentFragment selection = cursor.selection();
    QTextDocument part;
    part.setDefaultFont(txtPrint->document()->defaultFont());
    QTextCursor(&part).insertFragment(selection);
    platform::setClipboard(selection.toPlainText(),
                           platform::toRtf(platform::rtfDocumentFrom(part)));
}

void frmPrint::cmdPrint_Click() {
    if (mFirstActivate) return;
    QPrinter printer(QPrinter::HighResolution);
    // A selection may be offered; it does not limit what is printed.
    if (!platform::ShowPrinterDialog(printer, txtPrint->textCursor().hasSelection())) return;
    platform::QtPrinter out(printer);
    try {
        PageJob job;
        job.items = printItems();
        job.nBands = bandCount();
        job.firstBand = firstBand();
        job.file = DatabaseName();
        job.sheet = sheetName();
        job.title = txtTitle->Text();
        job.printed = QDate::currentDate();
        job.records = tickedRecords();
        printPages(out, job);
        if (!out.EndDoc())
            throw std::runtime_error(
                "The spectra could not be printed: the printer or file did not accept them.");
    } catch (const std::exception& e) {
        out.KillDoc();
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
