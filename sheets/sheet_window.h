#pragma once
// What every sheet window (worksheet or datasheet, any view) has: its two
// data controls, the grid, the small chart, the hidden path box and its
// caption, through which the commands of the main window reach the sheet.
#include "platform/db/sheet_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

namespace platform {
class DataGrid;
namespace gui {
class Chart;
class TextBox;
} // namespace gui
} // namespace platform

// Whether a record set stands on a record (open, neither at BOF nor at EOF).
inline bool atRecord(const db::Recordset& rs) {
    return rs.isOpen() && !rs.eof() && !rs.bof();
}

class SheetWindow : public QWidget, public db::SheetForm {
    Q_OBJECT
public:
    SheetWindow(db::SheetKind kind, int nBands, QWidget* parent = nullptr);
    ~SheetWindow() override;

    // "Worksheet: " or "Datasheet: " followed by the sheet name.
    QString caption() const { return windowTitle(); }
    // The sheet name: the caption without its 11-character prefix.
    QString sheetName() const { return caption().mid(11); }
    int bandCount() const { return nBands_; }
    // True from the moment the window is being closed.
    bool closing() const { return unloaded_; }

    // Level box j and its band label (1-based); nullptr in a window without them.
    platform::gui::TextBox* Lev(int j) const;
    QLabel* LF(int j) const;

    // Runs each time the window really becomes the active child.
    virtual void Form_Activate() {}
    // Runs once when the window closes.
    virtual void Form_Unload() {}

    // Stores what the user typed and has not yet left: a level in its box
    // and a grid cell being edited (into the record's edit buffer). Every
    // command runs it first, so that nothing typed is lost under a command
    // or its messages.
    void storePendingEdits();
    virtual void Lev_LostFocus(int) {}
    // Enter moves to the next level box, Shift+Enter to the one before.
    void Lev_KeyDown(int index, int keyCode, int shift);
    // Writes the current record's pending edit; a failure is shown and the
    // edit dropped.
    virtual bool commitRecord();
    // The undo backup of the sheet before a change; true when it failed
    // (`failure` says why).
    virtual bool takeBackup(QString* failure = nullptr);

    // Before a write from the window: true when another program changed the
    // sheet in its file since the window showed it, or deleted or renamed
    // it. Then nothing is written: the current record's pending edit is
    // dropped, the window shows the file as it is (a sheet that is gone
    // stays shown, read-only) and a message says so, followed by `notStored`
    // (what the user gave that was not stored).
    bool refusedAsStale(const QString& notStored);
    // After a failure to read the window's sheet: true when another program
    // deleted or renamed it, which the user is then told (the window stays,
    // read-only).
    bool sayIfGone();
    // " What was typed was not stored: ..." with each field of the current
    // record's pending edit and its text; "" when nothing is pending.
    QString typedNotStored() const;
    // The records as the file holds them now, the cursor where it was.
    virtual void rereadRecords();

    virtual void grdSpectra_BeforeColUpdate(int, const db::Value&, db::Value&, bool&) {}
    virtual void grdSpectra_KeyDown(int&, int) {}
    virtual void grdSpectra_RowColChange(const db::Value&, int) {}
    void grdSpectra_DblClick();
    void grdSpectra_Error(int dataError, int& response);
    virtual void Data1_MoveComplete() {}

    // What can be edited: nothing of a read-only file, and no record's
    // fields while there is no current record.
    void applyEditability();

    QLineEdit* txtDBName = nullptr; // hidden: the file path
    platform::DataGrid* grdSpectra = nullptr;
    platform::gui::Chart* chtDisp = nullptr;
    platform::gui::TextBox* txtRecalc = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Passes the Edit menu's shortcuts on from the window's boxes, and
    // answers every try to type into a window of a read-only file with the
    // reason; the window's controls are filtered by it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Places the controls for the window's size.
    virtual void layoutControls() {}
    // The smallest size at which every control of the window is whole and
    // apart from the others; the window is never made smaller (the work
    // area scrolls to a window larger than itself).
    virtual QSize minimumLayoutSize() const { return {}; }
    // Holds the window, and the frame round it, to that size.
    void applyMinimumSize();
    // The narrowest level box (with its band label over it) that shows any
    // band's label and any level whole.
    int levelBoxMinWidth() const;
    // Makes the band labels' font smaller, down to 70 percent of the
    // window's, until the boxes of a level frame `frameWidth` pixels wide
    // show every band's label whole.
    void fitBandLabels(int frameWidth);
    // Whether a double click stretched the grid over the controls below it.
    bool gridTall() const { return gridTall_; }

    // The grid's and Data1's events to their handlers.
    void connectGridEvents();
    // The level boxes and their band labels in `frame`, one per band.
    void buildLevelBoxes(QWidget* frame);
    // Lays them out across `width`, in rows `rowPitch` apart.
    void layoutLevelBoxes(int width, int rowPitch, int labelHeight);
    // The level typed into box `index` when it differs from the current
    // record's; a text that is no level is said and the boxes refilled.
    std::optional<double> typedLevel(int index);
    // Selects the level box Enter moved to.
    void selectNextLev();

    // Takes the undo backup before the first write of a user's edit.
    void backupBeforeEdit();
    // Drops the current record's pending edit and shows the record as stored.
    void discardEdit();
    // The window's own controls' part of it.
    virtual void setFieldsEditable(bool /*writable*/, bool /*record*/) {}
    // Why the window's file cannot be changed ("" when it can).
    void setReadOnlyReason(const QString& reason) { readOnlyReason_ = reason; }
    // How many pixels taller the window is than when it opens at an outer
    // height of `openingTwips` (0 when it is not taller): the grid's share.
    int heightBeyondOpening(int openingTwips) const;

    // Set once the current edit's backup is taken; a move starts a new edit.
    bool editBackedUp_ = false;

private:
    std::array<platform::gui::TextBox*, 31> lev_{};
    std::array<QLabel*, 31> lf_{};
    bool gridTall_ = false;
    QString readOnlyReason_;
    // Set once another program deleted or renamed the window's sheet.
    QString goneReason_;
    int nBands_;
    bool unloaded_ = false;
    void showGone(const QString& notStored);
};
