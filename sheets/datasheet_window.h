#pragma once
// The datasheet window: one datasheet of the datasheets file, with its
// spectra by number and description, the level boxes of the current
// spectrum (read-only unless Edit > Editable is on), its two summaries, the
// descriptive fields of its kind and the filter by "Select Type".
// frmDatasheet1 (octave) and frmDatasheet2 (third-octave) differ only in
// their band count.
#include "sheets/sheet_window.h"

#include "platform/gui/bound_controls.h"

#include <QComboBox>
#include <QGroupBox>

#include <array>
#include <memory>

// A combo bound to a text field that offers a list and takes any typed text.
class BoundTextCombo : public QComboBox {
    Q_OBJECT
public:
    explicit BoundTextCombo(QWidget* parent = nullptr);
    void bind(db::DataControl& control, const QString& field) { binding_.bind(control, field); }
    QString Text() const { return currentText(); }

signals:
    void Click();
    void LostFocus();
    // The user changed the text (typing or choosing an item).
    void Edited();

protected:
    void focusOutEvent(QFocusEvent* e) override;

private:
    platform::gui::FieldBinding binding_;
    bool inLostFocus_ = false;
};

class DatasheetWindow : public SheetWindow {
    Q_OBJECT
public:
    explicit DatasheetWindow(int nBands, QWidget* parent = nullptr);

    // Elements of the control arrays; nullptr for an index the window lacks.
    QGroupBox* frmOtherInfo(int k) const;
    platform::gui::BoundTextBox* txtOther(int i) const;
    BoundTextCombo* cmbOther(int i) const;
    platform::gui::ComboBox* cmbSelectBy(int k) const;
    QLabel* lblSelectBy(int k) const;

    // The datasheet's records in Code order, for the main window's commands.
    db::DataControl Data3;
    // The datasheets file's hold while the window shows it, also once the
    // options name another datasheets file (db::keepShared()).
    std::shared_ptr<void> fileHold;
    QGroupBox* Frame2 = nullptr; // "Spectrum:"
    platform::gui::BoundTextBox* txtSum1 = nullptr;
    platform::gui::BoundTextBox* txtSum2 = nullptr;

    // The datasheet's kind: the element of the visible frmOtherInfo (1 or 2).
    int datasheetType() const { return kind_; }
    // Shows the frame of a kind and hides the other.
    void setDatasheetType(int kind);
    // The type selector of the window's kind and its label.
    platform::gui::ComboBox* typeSelector() const { return cmbSelectBy(kind_); }
    QLabel* typeSelectorLabel() const { return lblSelectBy(kind_); }

    // Edit > Editable: the level boxes take typing only while it is on.
    bool editable() const { return editable_; }
    void setEditable(bool on);

    // Fills the descriptive combos' lists and the band labels.
    void fillLists(int firstBand);
    // Rebuilds the type selector from the datasheet's types ("<All>", then
    // each type in use, Null as an empty item) and selects `current`.
    void fillTypeSelector(const QString& current);
    // Binds Data1 to the spectra of one type ("<All>": every spectrum), in
    // Description order. Throws db::Error.
    void setFilter(const QString& type);
    // The datasheet's spectra changed outside the window (Undo, a paste)
    // and Data1 was read afresh: reads the other two data controls afresh
    // and, with `rereadTypes`, rebuilds the type selector, keeping the filter
    // while its type is still in use (else every spectrum is shown). Without
    // it the selector keeps its items: a command that added spectra leaves a
    // type the user just named where the type picker put it, last.
    void reloadAll(bool rereadTypes = true);
    void rereadRecords() override;

    // The undo backup of the datasheet before a change (a backup of another
    // sheet is replaced); true when it failed (shown).
    bool takeBackup(QString* failure = nullptr) override;

    void Form_Load();
    void Form_Activate() override;
    void Form_Unload() override;
    void Data1_MoveComplete() override;
    void grdSpectra_KeyDown(int& keyCode, int shift) override;
    void grdSpectra_RowColChange(const db::Value& lastRow, int lastCol) override;
    void grdSpectra_LostFocus();
    void grdSpectra_BeforeColUpdate(int colIndex, const db::Value& oldValue, db::Value& newValue,
                                    bool& cancel) override;
    void txtOther_LostFocus(int index);
    void cmbOther_Click(int index);
    void cmbSelectBy_Click(int index);
    void Lev_LostFocus(int index) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildFrame(int kind);
    void layoutControls() override;
    void layoutFrame(int kind, int width);
    QSize minimumLayoutSize() const override;
    int frameRows(int kind) const;
    // Heights of the level boxes' frame and of a descriptive frame.
    int levelFrameHeight() const;
    int frameHeight(int kind) const;
    // The grid's width in a window this wide, and the summaries' label's.
    static int gridWidth(int windowWidth);
    int summaryLabelWidth() const;
    // A frame's rows that have a label, in order, and the width of the
    // labels of its first (0) or second column.
    std::vector<std::pair<QLabel*, QWidget*>> labelledRows(int kind) const;
    int columnLabelWidth(int kind, int column) const;
    int firstBand() const;
    void setFieldsEditable(bool writable, bool record) override;
    int tallGridTwips() const;

    std::array<QGroupBox*, 3> frames_{};
    std::array<platform::gui::BoundTextBox*, 15> txtOther_{};
    std::array<BoundTextCombo*, 4> cmbOther_{};
    std::array<platform::gui::ComboBox*, 3> cmbSelectBy_{};
    std::array<QLabel*, 3> lblSelectBy_{};
    // Per frame, its rows: a label and the control beside it.
    std::array<std::vector<std::pair<QLabel*, QWidget*>>, 3> rows_{};
    // The "Measured ... dBA at ... m" line of the source frame.
    std::array<QLabel*, 4> measuredLabels_{};
    QLabel* lblSum = nullptr;
    int kind_ = 1;
    bool editable_ = false;
};

class frmDatasheet1 : public DatasheetWindow {
    Q_OBJECT
public:
    explicit frmDatasheet1(QWidget* parent = nullptr) : DatasheetWindow(10, parent) {}
};
class frmDatasheet2 : public DatasheetWindow {
    Q_OBJECT
public:
    explicit frmDatasheet2(QWidget* parent = nullptr) : DatasheetWindow(30, parent) {}
};

// A new window of the class for this band system (1 octave, 2 third-octave).
DatasheetWindow* newDatasheetWindow(int bandKind);
