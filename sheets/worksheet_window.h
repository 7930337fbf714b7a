#pragma once
// The worksheet window, in its two views: the Formula view, where levels are
// typed into one box per band (frmWorksheet1B octave, frmWorksheet2B
// third-octave), and the Spreadsheet view, where every band is a grid column
// (frmWorksheet1A, frmWorksheet2A). The twins of a view differ only in their
// band count; what both views share lives here.
#include "sheets/sheet_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>

#include <array>
#include <optional>

namespace db {
class Value;
}
namespace platform::gui {
class BoundComboBox;
class BoundMultiLineTextBox;
class BoundTextBox;
} // namespace platform::gui

class WorksheetWindow : public SheetWindow {
    Q_OBJECT
public:
    enum View { Formula = 1, Spreadsheet = 2 };
    WorksheetWindow(int nBands, View view, QWidget* parent = nullptr);

    View view() const { return view_; }

    // Controls every worksheet window has.
    QGroupBox* fraType = nullptr; // "Spectrum Type and Descriptors:"
    platform::gui::BoundComboBox* cmbType = nullptr;
    platform::gui::BoundComboBox* cmbSum1 = nullptr;
    platform::gui::BoundComboBox* cmbSum2 = nullptr;
    QGroupBox* fraRecalc = nullptr; // "Re-Calculate:"
    QRadioButton* optRecalRecord = nullptr;
    QRadioButton* optRecalCell = nullptr;
    QLabel* lblNotes = nullptr;
    platform::gui::BoundMultiLineTextBox* txtNotes = nullptr;
    // Formula view.
    QGroupBox* fraSpectrum = nullptr; // "Spectrum:"
    // Spreadsheet view.
    QLabel* lblFormula = nullptr;
    platform::gui::BoundTextBox* txtFormula = nullptr;
    QLabel* lblDescription = nullptr;
    platform::gui::BoundTextBox* txtDescription = nullptr;
    QLabel* lblDecimals = nullptr;
    QComboBox* cmbDecimals = nullptr;

    // Form-level state.
    int mFirstBand = 0;
    bool mCellChanged = false;
    bool mLevelChanged = false;

    // Steps of the binding that belong to the window: its lists before the
    // data controls are bound, the grid's columns after.
    void fillLists(int view);
    void bound(int view, int bandKind);

    // Set when the window closed itself because its activation failed.
    bool activationFailed() const { return activationFailed_; }

    void Form_Load();
    void Form_Activate() override;
    void Form_Unload() override;

    void Lev_LostFocus(int index) override;
    void cmbType_Click();
    void cmbSum1_Click();
    void cmbSum2_Click();
    void cmbDecimals_Click();
    void txtNotes_Change();
    void txtNotes_LostFocus();
    void txtRecalc_LostFocus();
    void txtFormula_KeyDown(int keyCode, int shift);
    void txtFormula_LostFocus();
    void txtDescription_KeyDown(int keyCode, int shift);
    QString GrdFmt_Format(const db::Value& dataValue) const;

    void grdSpectra_BeforeColUpdate(int colIndex, const db::Value& oldValue, db::Value& newValue,
                                    bool& cancel) override;
    void grdSpectra_KeyDown(int& keyCode, int shift) override;
    void grdSpectra_RowColChange(const db::Value& lastRow, int lastCol) override;
    void Data1_MoveComplete() override;

private:
    void buildControls();
    void layoutControls() override;
    QSize minimumLayoutSize() const override;
    // The grid's height as the window opens, and the level boxes' frame's.
    int shortGridPixels() const;
    int levelFrameHeight() const;
    int leftColumnWidth() const;
    void setFieldsEditable(bool writable, bool record) override;
    int firstBand() const;
    int tallGridTwips(int gridTopPixels) const;
    void updateSummary(int which);
    // Recalculates the sheet with what the window shows: the current
    // record's pending edit is stored first, and the two are one commit, as
    // a level and its recalculation are. False when the edit could not be
    // stored (it is dropped and the user told why): nothing is recalculated.
    bool recalcWithPendingEdit();

    View view_;
    bool activationFailed_ = false;
};

// The four window classes.
class frmWorksheet1B : public WorksheetWindow {
    Q_OBJECT
public:
    explicit frmWorksheet1B(QWidget* parent = nullptr) : WorksheetWindow(10, Formula, parent) {}
};
class frmWorksheet2B : public WorksheetWindow {
    Q_OBJECT
public:
    explicit frmWorksheet2B(QWidget* parent = nullptr) : WorksheetWindow(30, Formula, parent) {}
};
class frmWorksheet1A : public WorksheetWindow {
    Q_OBJECT
public:
    explicit frmWorksheet1A(QWidget* parent = nullptr) : WorksheetWindow(10, Spreadsheet, parent) {}
};
class frmWorksheet2A : public WorksheetWindow {
    Q_OBJECT
public:
    explicit frmWorksheet2A(QWidget* parent = nullptr) : WorksheetWindow(30, Spreadsheet, parent) {}
};

// A new window of the class for this band system (1 octave, 2 third-octave)
// and view (1 Formula, 2 Spreadsheet).
WorksheetWindow* newWorksheetWindow(int bandKind, int view);
