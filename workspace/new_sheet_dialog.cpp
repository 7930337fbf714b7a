#include "workspace/new_sheet_dialog.h"

#include "platform/geometry.h"
#include "platform/gui/named.h"
#include "tables/globals.h"
#include "workspace/sheet_names.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>

using platform::gui::makeNamed;

namespace {

QString bandLabel(int band) {
    return band >= 1 && band <= kBandTableSize && static_cast<size_t>(band) < gBandLabel.size()
               ? QString::fromStdString(gBandLabel[static_cast<size_t>(band)])
               : QString();
}

// The frequency-range bar, framed in the highlight colour while it has the
// focus (the arrow keys then move it): the style draws no focus for a bar.
class RangeBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent* e) override {
        QScrollBar::paintEvent(e);
        if (!hasFocus()) return;
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};

} // namespace

FrequencyRange frequencyRange(int bandSystem, int position) {
    FrequencyRange r;
    if (bandSystem == 1) {
        r.firstBand = (position - 1) * 3 + 2;
        r.lastBand = r.firstBand + 27;
    } else {
        r.firstBand = (position - 1) * 3 + 1;
        r.lastBand = r.firstBand + 29;
    }
    r.text = bandLabel(r.firstBand) + " - " + bandLabel(r.lastBand);
    return r;
}

QGridLayout* frequencyRangeLayout(QLabel* label, QLineEdit* range, QLineEdit* firstBand,
                                  QScrollBar* bar) {
    for (QLineEdit* box : {range, firstBand}) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(Qt::AlignCenter);
    }
    firstBand->setToolTip("First band");
    firstBand->setMaximumWidth(platform::twipsToPixels(600));
    auto* grid = new QGridLayout;
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(range, 1, 0);
    grid->addWidget(firstBand, 1, 1);
    grid->addWidget(bar, 2, 0, 1, 2);
    return grid;
}

NewSheetDialog::NewSheetDialog(const char* objectName, const QString& caption, const Texts& texts)
    : OkCancelDialog(objectName, caption), blankBeforeFirstBand_(texts.blankBeforeFirstBand) {
    lblName = makeNamed<QLabel>(this, "lblName", texts.name);
    txtName = makeNamed<QLineEdit>(this, "txtName");
    lblName->setBuddy(txtName);

    Frame1 = makeNamed<QGroupBox>(this, "Frame1", texts.bands);
    optOctave = makeNamed<QRadioButton>(Frame1, "optOctave", texts.octave);
    optThirdOct = makeNamed<QRadioButton>(Frame1, "optThirdOct", texts.thirdOctave);
    optThirdOct->setChecked(true);
    auto* bands = new QHBoxLayout(Frame1);
    bands->addWidget(optOctave);
    bands->addWidget(optThirdOct);
    bands->addStretch();

    lblFreqRange = makeNamed<QLabel>(this, "lblFreqRange", "Frequency Range:");
    scrRange = makeNamed<RangeBar>(this, "scrRange", Qt::Horizontal);
    scrRange->setRange(1, 6);
    scrRange->setPageStep(1);
    // Tab reaches the bar; Left moves to lower bands.
    scrRange->setFocusPolicy(Qt::StrongFocus);
    scrRange->setInvertedControls(false);
    txtFreqRange = makeNamed<QLineEdit>(this, "txtFreqRange");
    txtFirstBand = makeNamed<QLineEdit>(this, "txtFirstBand");

    connect(optOctave, &QRadioButton::clicked, this, &NewSheetDialog::optOctave_Click);
    connect(optThirdOct, &QRadioButton::clicked, this, &NewSheetDialog::optThirdOct_Click);
    connect(scrRange, &QScrollBar::valueChanged, this, &NewSheetDialog::scrRange_Change);
}

QHBoxLayout* NewSheetDialog::nameLayout() {
    auto* name = new QHBoxLayout;
    name->addWidget(lblName);
    name->addWidget(txtName, 1);
    return name;
}

void NewSheetDialog::Form_Load() {
    optCancel->setChecked(false);
}

void NewSheetDialog::cmdOK_Click() {
    if (sheetNameAccepted(txtName)) hideDialog();
}

void NewSheetDialog::cmdCancel_Click() {
    hideWith(optCancel);
}

void NewSheetDialog::showRange(const FrequencyRange& range) {
    txtFreqRange->setText(range.text);
    // The worksheet dialog shows the number as the original did, with a
    // leading blank.
    txtFirstBand->setText((blankBeforeFirstBand_ ? " " : "") + QString::number(range.firstBand));
}

void NewSheetDialog::scrRange_Change() {
    showRange(frequencyRange(optThirdOct->isChecked() ? 2 : 1, scrRange->value()));
}

void NewSheetDialog::optOctave_Click() {
    const QSignalBlocker quiet(scrRange);
    scrRange->setValue(5);
    showRange(frequencyRange(1, 5));
}

void NewSheetDialog::optThirdOct_Click() {
    const QSignalBlocker quiet(scrRange);
    scrRange->setValue(5);
    showRange(frequencyRange(2, 5));
}
