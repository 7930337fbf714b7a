#include "workspace/frm_new_datasheet.h"

#include "platform/gui/forms.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "tables/globals.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

using platform::gui::makeNamed;

namespace {

QString bandLabel(int band) {
    return band >= 1 && band <= kBandTableSize
               ? QString::fromStdString(gBandLabel[static_cast<size_t>(band)])
               : QString();
}

} // namespace

frmNewDatasheet::frmNewDatasheet() {
    setObjectName("frmNewDatasheet");
    setWindowTitle("New Datasheet:");
    setModal(true);
    lblName = makeNamed<QLabel>(this, "lblName", "Name:");
    txtName = makeNamed<QLineEdit>(this, "txtName");
    lblName->setBuddy(txtName);
    Frame1 = makeNamed<QGroupBox>(this, "Frame1");
    optOctave = makeNamed<QRadioButton>(Frame1, "optOctave", "Octave");
    optThirdOct = makeNamed<QRadioButton>(Frame1, "optThirdOct", "Third-Octave");
    optThirdOct->setChecked(true);
    lblFreqRange = makeNamed<QLabel>(this, "lblFreqRange", "Frequency Range:");
    scrRange = makeNamed<QScrollBar>(this, "scrRange", Qt::Horizontal);
    scrRange->setRange(1, 6);
    scrRange->setPageStep(1);
    scrRange->setValue(5);
    txtFreqRange = makeNamed<QLineEdit>(this, "txtFreqRange");
    txtFirstBand = makeNamed<QLineEdit>(this, "txtFirstBand");
    for (QLineEdit* box : {txtFreqRange, txtFirstBand}) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
    }
    txtFirstBand->hide(); // carries the first band for the caller
    lblDatType = makeNamed<QLabel>(this, "lblDatType", "Data Type:");
    lstDatType = makeNamed<QListWidget>(this, "lstDatType");
    lblDatType->setBuddy(lstDatType);
    cmdOK = makeNamed<QPushButton>(this, "cmdOK", "OK");
    cmdCancel = makeNamed<QPushButton>(this, "cmdCancel", "Cancel");
    cmdOK->setDefault(true);
    optCancel = makeNamed<QRadioButton>(this, "optCancel");
    optCancel->setAutoExclusive(false);
    optCancel->hide();

    const int w = 330;
    setFixedSize(w, 340);
    lblName->setGeometry(12, 14, 60, 20);
    txtName->setGeometry(80, 12, w - 92, 24);
    Frame1->setGeometry(12, 44, w - 24, 36);
    optOctave->setGeometry(10, 8, 120, 22);
    optThirdOct->setGeometry(140, 8, 140, 22);
    lblFreqRange->setGeometry(12, 90, w - 24, 20);
    scrRange->setGeometry(12, 112, w - 24, 18);
    txtFreqRange->setGeometry(12, 134, w - 24, 24);
    txtFreqRange->setAlignment(Qt::AlignCenter);
    lblDatType->setGeometry(12, 166, w - 24, 20);
    lstDatType->setGeometry(12, 188, w - 24, 108);
    cmdOK->setGeometry(w - 12 - 2 * 90 - 8, 304, 90, 26);
    cmdCancel->setGeometry(w - 12 - 90, 304, 90, 26);

    connect(cmdOK, &QPushButton::clicked, this, &frmNewDatasheet::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewDatasheet::cmdCancel_Click);
    connect(optOctave, &QRadioButton::clicked, this, &frmNewDatasheet::optOctave_Click);
    connect(optThirdOct, &QRadioButton::clicked, this, &frmNewDatasheet::optThirdOct_Click);
    connect(scrRange, &QScrollBar::valueChanged, this, &frmNewDatasheet::scrRange_Change);
    platform::gui::registerForm(this, platform::gui::FormKind::Dialog);
    Form_Load();
    scrRange_Change();
}

void frmNewDatasheet::Form_Load() {
    optCancel->setChecked(false);
}

void frmNewDatasheet::Form_Activate() {
    optCancel->setChecked(false);
}

void frmNewDatasheet::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Form_Activate();
    txtName->setFocus();
    txtName->selectAll();
}

void frmNewDatasheet::showRange(int firstBand, int lastBand) {
    txtFreqRange->setText(bandLabel(firstBand) + " - " + bandLabel(lastBand));
    txtFirstBand->setText(QString::number(firstBand));
}

void frmNewDatasheet::scrRange_Change() {
    const int v = scrRange->value();
    if (optThirdOct->isChecked()) {
        const int first = (v - 1) * 3 + 1;
        showRange(first, first + 29);
    } else {
        const int first = (v - 1) * 3 + 2;
        showRange(first, first + 27);
    }
}

void frmNewDatasheet::optOctave_Click() {
    const QSignalBlocker quiet(scrRange);
    scrRange->setValue(5);
    showRange(14, 41);
}

void frmNewDatasheet::optThirdOct_Click() {
    const QSignalBlocker quiet(scrRange);
    scrRange->setValue(5);
    showRange(13, 42);
}

void frmNewDatasheet::cmdCancel_Click() {
    optCancel->setChecked(true);
    done(QDialog::Rejected);
}

void frmNewDatasheet::cmdOK_Click() {
    const QString name = txtName->text();
    QString problem;
    if (name.contains('\'') || name.contains('"'))
        problem = "Cannot use ' or \" as part of a worksheet name";
    else if (name.trimmed().isEmpty())
        problem = "Please enter a name.";
    else if (name.startsWith('~'))
        problem = "Names beginning with \"~\" are kept for the program's own tables. Please "
                  "choose another name.";
    if (!problem.isEmpty()) {
        platform::MsgBox(problem);
        txtName->setFocus();
        return;
    }
    done(QDialog::Accepted);
}
