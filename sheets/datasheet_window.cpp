#include "sheets/datasheet_window.h"

#include "engine/bands.h"
#include "engine/globals.h"
#include "engine/summary.h"
#include "platform/db/database.h"
#include "platform/geometry.h"
#include "platform/gui/chart.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "sheets/datasheet_layout.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/grid_selection.h"
#include "sheets/level_display.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/sheet_display.h"
#include "tables/globals.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {

const QString kAll = QStringLiteral("<All>");

} // namespace

// ---- BoundTextCombo ----------------------------------------------------------

BoundTextCombo::BoundTextCombo(QWidget* parent)
    : QComboBox(parent), binding_([this](const QString& text) {
          const int i = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
          if (i >= 0 && !text.isEmpty())
              setCurrentIndex(i);
          else {
              setCurrentIndex(-1);
              setEditText(text);
          }
      }) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    platform::gui::showTextStart(lineEdit());
    connect(this, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (binding_.showing()) return;
        emit Edited();
        binding_.write(text);
    });
    connect(this, &QComboBox::activated, this, [this] { emit Click(); });
}

void BoundTextCombo::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    if (inLostFocus_ || !platform::gui::isRealFocusMove(*this, *e)) return;
    QPointer<BoundTextCombo> alive(this);
    inLostFocus_ = true;
    emit LostFocus();
    if (alive) inLostFocus_ = false;
}

// ---- DatasheetWindow ---------------------------------------------------------

DatasheetWindow::DatasheetWindow(int nBands, QWidget* parent)
    : SheetWindow(db::SheetKind::Datasheet, nBands, parent) {
    setObjectName(nBands == 30 ? "frmDatasheet2" : "frmDatasheet1");
    setWindowTitle(nBands == 30 ? "Third-Octave Datasheet" : "Octave Datasheet");
    buildControls();
    Form_Load();
}

QGroupBox* DatasheetWindow::frmOtherInfo(int k) const {
    return k == 1 || k == 2 ? frames_[static_cast<size_t>(k)] : nullptr;
}
platform::gui::BoundTextBox* DatasheetWindow::txtOther(int i) const {
    return i >= 1 && i <= 14 ? txtOther_[static_cast<size_t>(i)] : nullptr;
}
BoundTextCombo* DatasheetWindow::cmbOther(int i) const {
    return i >= 1 && i <= 3 ? cmbOther_[static_cast<size_t>(i)] : nullptr;
}
platform::gui::ComboBox* DatasheetWindow::cmbSelectBy(int k) const {
    return k == 1 || k == 2 ? cmbSelectBy_[static_cast<size_t>(k)] : nullptr;
}
QLabel* DatasheetWindow::lblSelectBy(int k) const {
    return k == 1 || k == 2 ? lblSelectBy_[static_cast<size_t>(k)] : nullptr;
}

void DatasheetWindow::setDatasheetType(int kind) {
    kind_ = kind == 2 ? 2 : 1;
    for (int k = 1; k <= 2; ++k)
        frames_[static_cast<size_t>(k)]->setVisible(k == kind);
    applyMinimumSize();
    layoutControls();
}

bool DatasheetWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched->isWidgetType()) {
        // The grid loses the focus when it goes to a control outside it (its
        // own cell editor is still the grid).
        auto* w = static_cast<QWidget*>(watched);
        auto* focus = static_cast<QFocusEvent*>(event);
        if (grdSpectra->isAncestorOf(w) && platform::gui::isRealFocusMove(*w, *focus)) {
            QWidget* next = QApplication::focusWidget();
            if (next && next != grdSpectra && !grdSpectra->isAncestorOf(next))
                grdSpectra_LostFocus();
        }
    }
    return SheetWindow::eventFilter(watched, event);
}

void DatasheetWindow::fillLists(int firstBand) {
    cmbOther(1)->clear();
    for (int i = 1; i <= gDescriptorCount; ++i)
        cmbOther(1)->addItem(QString::fromStdString(gDescriptors[static_cast<size_t>(i)]));
    for (int c = 2; c <= 3; ++c) {
        cmbOther(c)->clear();
        for (int i = 1; i <= gDataSourceCount; ++i)
            cmbOther(c)->addItem(QString::fromStdString(gDataSources[static_cast<size_t>(i)]));
    }
    for (int j = 1; j <= bandCount(); ++j) {
        const int band = bandTableIndex(firstBand, j, bandCount());
        LF(j)->setText(band > 0 ? QString::fromStdString(gBandLabel[static_cast<size_t>(band)])
                                : QString());
    }
}

void DatasheetWindow::fillTypeSelector(const QString& current) {
    platform::gui::ComboBox* selector = typeSelector();
    selector->clear();
    selector->addItem(kAll);
    auto database = db::Database::open(txtDBName->text().toStdString());
    db::Recordset rs = database->OpenRecordset(
        "SELECT " + db::quoteIdent("Select Type") + " FROM " +
        db::quoteIdent(sheetName().toStdString()) + " GROUP BY " + db::quoteIdent("Select Type"));
    bool empty = false;
    for (; !rs.eof(); rs.MoveNext()) {
        const QString type = QString::fromStdString(valueText(rs.Fields(0).value()));
        if (type.isEmpty()) {
            if (empty) continue; // Null and "" both read as the empty item
            empty = true;
        }
        selector->addItem(type);
    }
    rs.Close();
    int index = 0;
    for (int i = 0; i < selector->count(); ++i)
        if (selector->itemText(i) == current) {
            index = i;
            break;
        }
    selector->setCurrentIndex(index);
}

void DatasheetWindow::setFilter(const QString& type) {
    const std::string table = db::quoteIdent(sheetName().toStdString());
    const std::string order = " ORDER BY " + db::quoteIdent("Description");
    if (type == kAll)
        Data1.setRecordSource("SELECT * FROM " + table + order);
    else
        Data1.setRecordSource("SELECT * FROM " + table + " WHERE " + db::quoteIdent("Select Type") +
                                  " = ?" + order,
                              {db::Value(type.toStdString())});
    Data1.Refresh();
}

// The records as the file holds them now, the cursor on the spectrum it was
// on while the file still holds it, else where it was.
void DatasheetWindow::rereadRecords() {
    db::Recordset& rs = Data1.recordset();
    const int position = rs.AbsolutePosition();
    // The spectrum by its record, Code and Description: a record another
    // program deleted may have given its rowid to a new one.
    const bool onRecord = atRecord(rs);
    const db::RecordKey key = onRecord ? rs.Bookmark() : 0;
    std::vector<db::Value> shown;
    if (onRecord) {
        const auto values = rs.rowValues(position);
        shown.assign(values.begin(), values.begin() + std::min<size_t>(2, values.size()));
    }
    try {
        if (rs.editing()) rs.CancelUpdate();
        rs.Requery();
        int at = onRecord ? rs.positionOf(key) : 0;
        if (at > 0) {
            const auto values = rs.rowValues(at);
            for (size_t i = 0; i < shown.size(); ++i)
                if (i >= values.size() || values[i].kind() != shown[i].kind() ||
                    values[i] != shown[i])
                    at = 0;
        }
        if (at > 0)
            rs.setAbsolutePosition(at);
        else if (position >= 1 && rs.RecordCount() > 0)
            rs.setAbsolutePosition(std::min(position, rs.RecordCount()));
    } catch (const std::exception&) {
        // reloadAll() below reports what cannot be read
    }
    reloadAll();
}

void DatasheetWindow::reloadAll(bool rereadTypes) {
    const QString filter =
        typeSelector()->currentIndex() >= 0 ? typeSelector()->currentText() : kAll;
    try {
        Data2.Refresh();
        Data3.Refresh();
        if (rereadTypes) {
            fillTypeSelector(filter);
            if (typeSelector()->currentText() != filter) setFilter(kAll);
        }
    } catch (const std::exception& e) {
        if (!sayIfGone()) platform::MsgBox(QString::fromStdString(e.what()));
    }
    if (gActiveSheet == this) {
        FillChart(bandCount(), firstBand());
        FillLevBoxes(bandCount());
    }
    applyEditability();
}

void DatasheetWindow::Form_Load() {
    gBusy = true;
}

int DatasheetWindow::firstBand() const {
    db::Recordset& row = const_cast<db::DataControl&>(Data2).recordset();
    if (!atRecord(row)) return 0;
    const db::Value v = row.Fields("First Band").value();
    return v.isNumber() ? static_cast<int>(v.toLong()) : 0;
}

void DatasheetWindow::Form_Activate() {
    const int n = bandCount();
    gActiveSheet = this;
    gActiveKind = 2;
    gBusy = false;
    gNextLev = 0;
    try {
        FillChart(n, firstBand());
        FillLevBoxes(n);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
    SetMenus(kMenuDatasheet, editable_);
    applyEditability();
    grdSpectra->view()->setFocus();
    if (editable_) takeBackup();
}

void DatasheetWindow::Form_Unload() {
    // What the user typed is kept: a level still in its box, a cell, and
    // the current record's pending edit.
    storePendingEdits();
    commitRecord();
    QMdiArea* mdi = mdiArea();
    const bool wasActive = gActiveSheet == this || (mdi && mdi->activeSubWindow() &&
                                                    mdi->activeSubWindow()->widget() == this);
    if (wasActive) {
        SetMenus(noSheetMode());
    }
}

bool DatasheetWindow::takeBackup(QString* failure) {
    // A backup of another sheet has another structure: start it afresh.
    return BackupSheet(gBackupCaption != caption() || gBackupFile != txtDBName->text(), failure);
}

void DatasheetWindow::setEditable(bool on) {
    editable_ = on;
    applyEditability();
}

// Levels take typing only with Edit > Editable on; no field while there is
// no current spectrum.
void DatasheetWindow::setFieldsEditable(bool, bool record) {
    for (int j = 1; j <= bandCount(); ++j) {
        platform::gui::TextBox* box = Lev(j);
        box->setReadOnly(!(record && editable_));
        QPalette p = box->palette();
        p.setColor(QPalette::Base, box->isReadOnly() ? palette().color(QPalette::Window)
                                                     : palette().color(QPalette::Base));
        box->setPalette(p);
    }
    for (auto* box : txtOther_)
        if (box) box->setReadOnly(!record);
    for (auto* box : cmbOther_)
        if (box) box->setEnabled(record);
}

void DatasheetWindow::Data1_MoveComplete() {
    editBackedUp_ = false;
    // A long text shows its beginning.
    for (auto* box : txtOther_)
        if (box && !box->hasFocus()) box->setCursorPosition(0);
    if (gBusy) return;
    applyEditability();
    if (gActiveSheet != this) return; // redrawn when it is activated
    try {
        FillChart(bandCount(), firstBand());
        FillLevBoxes(bandCount());
    } catch (const std::exception&) {
        // a move never stops on a redraw
    }
}

void DatasheetWindow::grdSpectra_KeyDown(int& keyCode, int shift) {
    selectionKeyDown(*this, keyCode, shift);
}

void DatasheetWindow::grdSpectra_RowColChange(const db::Value&, int) {
    if (gBusy) return;
    selectionRowColChange(*this);
}

void DatasheetWindow::grdSpectra_LostFocus() {
    commitRecord();
}

void DatasheetWindow::grdSpectra_BeforeColUpdate(int, const db::Value& oldValue,
                                                 db::Value& newValue, bool& cancel) {
    if (valueText(oldValue) == valueText(newValue)) return;
    if (changedElsewhere(*this)) {
        // The row shown may not be the one in the file any more. The grid
        // finishes with its cell before the rows are read again.
        cancel = true;
        const QString typed = QString::fromStdString(valueText(newValue));
        QTimer::singleShot(0, this, [this, typed] {
            if (!refusedAsStale(" What was typed (" + typed + ") was not stored."))
                platform::MsgBox("What was typed (" + typed +
                                 ") was not stored: the spectra were changed meanwhile. Type it "
                                 "again.");
        });
        return;
    }
    backupBeforeEdit();
}

void DatasheetWindow::txtOther_LostFocus(int) {
    commitRecord();
}

void DatasheetWindow::cmbOther_Click(int) {
    commitRecord();
}

void DatasheetWindow::cmbSelectBy_Click(int index) {
    platform::gui::ComboBox* selector = cmbSelectBy(index);
    if (!selector) return;
    commitRecord();
    try {
        setFilter(selector->currentIndex() < 0 ? kAll : selector->currentText());
    } catch (const std::exception& e) {
        if (!sayIfGone()) platform::MsgBox(QString::fromStdString(e.what()));
    }
    if (gActiveSheet == this) {
        FillChart(bandCount(), firstBand());
        FillLevBoxes(bandCount());
    }
    grdSpectra->view()->setFocus();
}

void DatasheetWindow::Lev_LostFocus(int index) {
    const int n = bandCount();
    db::Recordset& rs = Data1.recordset();
    platform::gui::TextBox* box = Lev(index);
    if (box && atRecord(rs) && !box->isReadOnly()) {
        const std::optional<double> value = typedLevel(index);
        const QString notStored =
            " The level typed (" + box->text().trimmed() + ") was not stored.";
        if (value && refusedAsStale(notStored)) {
            // The record shown may not be the one in the file any more.
        } else if (value) {
            // The backup and the level are one commit; the level is stored
            // even when its backup fails, and the user hears which.
            EditCommit edit(*this);
            QString backupFailure;
            takeBackup(&backupFailure);
            edit.resume();
            bool stored = false;
            try {
                rs.Fields(7 + index) = db::Value(*value);
                BandArray bands;
                for (int j = 1; j <= n; ++j)
                    bands[j] = bandValue(rs.Fields(7 + j).value());
                const int first = firstBand();
                const int s1 = summaryTypeNumber(valueText(rs.Fields("Summary 1 Type").value()));
                const int s2 = summaryTypeNumber(valueText(rs.Fields("Summary 2 Type").value()));
                rs.Fields("Summary 1 Val") = db::Value(CalcSummary(s1, bands, first, n));
                rs.Fields("Summary 2 Val") = db::Value(CalcSummary(s2, bands, first, n));
                rs.Update();
                rs.Move(0);
                stored = true;
            } catch (const std::exception& e) {
                // The write may have found its record changed meanwhile.
                if (!refusedAsStale(notStored)) {
                    discardEdit();
                    platform::MsgBox(QString::fromStdString(e.what()));
                }
            }
            if (stored)
                if (const std::optional<QString> failed = edit.commit()) {
                    stored = false;
                    platform::MsgBox(*failed);
                }
            FillChart(n, firstBand());
            FillLevBoxes(n);
            if (stored && !backupFailure.isEmpty())
                platform::MsgBox(keptWithoutUndo(backupFailure));
        }
    }
    selectNextLev();
}

DatasheetWindow* newDatasheetWindow(int bandKind) {
    if (bandKind == 2) return new frmDatasheet2;
    return new frmDatasheet1;
}
