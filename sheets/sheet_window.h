#pragma once
// What every sheet window (worksheet or datasheet, any view) has: its two
// data controls, the grid, the small chart, the hidden path box and its
// caption, through which the commands of the main window reach the sheet.
#include "platform/db/sheet_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

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

    // Level box j and its band label (1-based); nullptr in a window without them.
    virtual platform::gui::TextBox* Lev(int) const { return nullptr; }
    virtual QLabel* LF(int) const { return nullptr; }

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
    // Writes the current record's pending edit; a failure is shown and the
    // edit dropped.
    virtual bool commitRecord() { return true; }

    QLineEdit* txtDBName = nullptr; // hidden: the file path
    platform::DataGrid* grdSpectra = nullptr;
    platform::gui::Chart* chtDisp = nullptr;
    platform::gui::TextBox* txtRecalc = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Answers every try to type into a window of a read-only file with the
    // reason; the window's controls are filtered by it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Why the window's file cannot be changed ("" when it can).
    void setReadOnlyReason(const QString& reason) { readOnlyReason_ = reason; }
    // How many pixels taller the window is than when it opens at an outer
    // height of `openingTwips` (0 when it is not taller): the grid's share.
    int heightBeyondOpening(int openingTwips) const;

private:
    QString readOnlyReason_;
    int nBands_;
    bool unloaded_ = false;
};
