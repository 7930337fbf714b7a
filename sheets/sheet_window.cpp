#include "sheets/sheet_window.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/level_display.h"
#include "sheets/sheet_display.h"
#include "sheets/view_hold.h"
#include "tables/band_table.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>

#include <algorithm>
#include <span>

SheetWindow::SheetWindow(db::SheetKind kind, int nBands, QWidget* parent)
    : QWidget(parent), db::SheetForm(kind), nBands_(nBands) {
    txtDBName = new QLineEdit(this);
    txtDBName->setObjectName("txtDBName");
    txtDBName->hide();
}

SheetWindow::~SheetWindow() {
    // The commands must never reach a closed window.
    if (gActiveSheet == this) gActiveSheet = nullptr;
}

platform::gui::TextBox* SheetWindow::Lev(int j) const {
    return j >= 1 && j <= bandCount() ? lev_[static_cast<size_t>(j)] : nullptr;
}

QLabel* SheetWindow::LF(int j) const {
    return j >= 1 && j <= bandCount() ? lf_[static_cast<size_t>(j)] : nullptr;
}

void SheetWindow::storePendingEdits() {
    for (int j = 1; j <= bandCount(); ++j)
        if (Lev(j) && Lev(j)->isModified()) Lev_LostFocus(j); // typed by the user
    if (grdSpectra) grdSpectra->setEditActive(false);
}

namespace {

// A key that would change a text: a character, Backspace or Delete.
bool editingKey(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete) return true;
    return !key.text().isEmpty() && key.text().at(0).isPrint();
}

// Where the cursor and the selection of a text box stand, kept while the
// box is filled again with the text it had, so that a key goes where the
// user put it.
class CursorKeeper {
public:
    explicit CursorKeeper(QObject* watched)
        : line_(qobject_cast<QLineEdit*>(watched)), plain_(qobject_cast<QPlainTextEdit*>(watched)) {
        if (line_) {
            text_ = line_->text();
            position_ = line_->cursorPosition();
            anchor_ = position_;
            if (line_->hasSelectedText())
                anchor_ = line_->selectionStart() == position_ ? line_->selectionEnd()
                                                               : line_->selectionStart();
        } else if (plain_) {
            text_ = plain_->toPlainText();
            position_ = plain_->textCursor().position();
            anchor_ = plain_->textCursor().anchor();
        }
    }
    // Puts them back when the box shows the same text.
    void restore() const {
        if (line_ && line_->text() == text_) {
            line_->setCursorPosition(anchor_);
            line_->setSelection(anchor_, position_ - anchor_);
        } else if (plain_ && plain_->toPlainText() == text_) {
            QTextCursor cursor = plain_->textCursor();
            cursor.setPosition(anchor_);
            cursor.setPosition(position_, QTextCursor::KeepAnchor);
            plain_->setTextCursor(cursor);
        }
    }

private:
    QPointer<QLineEdit> line_;
    QPointer<QPlainTextEdit> plain_;
    QString text_;
    int position_ = 0;
    int anchor_ = 0;
};

bool readOnlyControl(QObject* watched) {
    if (auto* box = qobject_cast<QLineEdit*>(watched)) return box->isReadOnly();
    if (auto* box = qobject_cast<QPlainTextEdit*>(watched)) return box->isReadOnly();
    if (auto* view = qobject_cast<QAbstractItemView*>(watched))
        return view->editTriggers() == QAbstractItemView::NoEditTriggers;
    return false;
}

} // namespace

bool SheetWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::ControlModifier) {
            switch (key->key()) {
            case Qt::Key_C:
            case Qt::Key_V:
            case Qt::Key_X:
            case Qt::Key_A:
            case Qt::Key_N:
            case Qt::Key_I:
            case Qt::Key_D:
            case Qt::Key_F:
                event->ignore(); // not the box's: the menu's shortcut runs
                return true;
            default:
                break;
            }
        }
    }
    if (event->type() == QEvent::KeyPress && !readOnlyReason_.isEmpty() &&
        editingKey(*static_cast<QKeyEvent*>(event)) && readOnlyControl(watched)) {
        // A file another program wrote may be free by now: the key then
        // goes on into the box, on the window as the file holds it.
        const CursorKeeper cursor(watched);
        switch (takeViewedFile(txtDBName->text(), this)) {
        case Takeover::Taken:
            cursor.restore();
            if (!readOnlyControl(watched)) return QWidget::eventFilter(watched, event);
            break;
        case Takeover::TakenChanged:
            platform::MsgBox(takenChangedText(sheetName()), platform::vbExclamation);
            return true;
        case Takeover::None:
        case Takeover::Refused:
            break;
        }
        if (!readOnlyReason_.isEmpty()) platform::MsgBox(readOnlyReason_);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SheetWindow::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
        if (gActiveSheet == this) gActiveSheet = nullptr;
        // Unloaded: no longer counted or found among the loaded forms, even
        // before the object itself goes.
        platform::gui::unregisterForm(this);
    }
    event->accept();
}

void SheetWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ParentChange) applyMinimumSize(); // into its frame
}

void SheetWindow::applyMinimumSize() {
    const QSize least = minimumLayoutSize();
    if (!least.isValid()) return;
    setMinimumSize(least);
    // The frame round the window (title bar and borders) follows: neither
    // the mouse nor a program makes it smaller than the window needs, while
    // minimised it is its title bar alone.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        if (QLayout* layout = frame->layout()) layout->setSizeConstraint(QLayout::SetMinimumSize);
}

int SheetWindow::levelBoxMinWidth() const {
    if (!LF(1) || !Lev(1)) return 0;
    const QFontMetrics labels = LF(1)->fontMetrics();
    int widest = 0;
    for (size_t band = 1; band < gBandLabel.size(); ++band)
        widest =
            std::max(widest, labels.horizontalAdvance(QString::fromStdString(gBandLabel[band])));
    // A level of two digits and a decimal inside the box's frame and
    // margins; a longer one shows its start.
    const int level = Lev(1)->fontMetrics().horizontalAdvance("88.8") + 10;
    return std::max(widest + 2, level);
}

void SheetWindow::fitBandLabels(int frameWidth) {
    const int perRow = bandCount() == 30 ? 15 : 10;
    const int boxWidth = (frameWidth - 12) / perRow - 2; // as the boxes are laid out
    const auto widest = [this] {
        const QFontMetrics labels = LF(1)->fontMetrics();
        int w = 0;
        for (size_t band = 1; band < gBandLabel.size(); ++band)
            w = std::max(w, labels.horizontalAdvance(QString::fromStdString(gBandLabel[band])));
        return w + 2;
    };
    const qreal smallest = font().pointSizeF() * 0.7;
    QFont labels = LF(1)->font();
    while (widest() > boxWidth && labels.pointSizeF() * 0.95 >= smallest) {
        labels.setPointSizeF(labels.pointSizeF() * 0.95);
        for (int j = 1; j <= bandCount(); ++j)
            LF(j)->setFont(labels);
    }
}

void SheetWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

int SheetWindow::heightBeyondOpening(int openingTwips) const {
    // The frame round the window (title bar, borders) is not the window's.
    const QWidget* outer = parentWidget();
    const int frame = outer ? outer->height() - height() : 0;
    return std::max(0, height() - (platform::twipsToPixels(openingTwips) - frame));
}

void SheetWindow::connectGridEvents() {
    connect(grdSpectra, &platform::DataGrid::BeforeColUpdate, this,
            &SheetWindow::grdSpectra_BeforeColUpdate);
    connect(grdSpectra, &platform::DataGrid::KeyDown, this, &SheetWindow::grdSpectra_KeyDown);
    connect(grdSpectra, &platform::DataGrid::RowColChange, this,
            &SheetWindow::grdSpectra_RowColChange);
    connect(grdSpectra, &platform::DataGrid::DblClick, this, &SheetWindow::grdSpectra_DblClick);
    connect(grdSpectra, &platform::DataGrid::Error, this, &SheetWindow::grdSpectra_Error);
    connect(&Data1, &db::DataControl::MoveComplete, this, &SheetWindow::Data1_MoveComplete);
}

void SheetWindow::grdSpectra_DblClick() {
    // Toggles between the short grid (taller in an enlarged window) and the
    // grid stretched over the controls below it.
    gridTall_ = !gridTall_;
    layoutControls();
}

void SheetWindow::grdSpectra_Error(int dataError, int& response) {
    response = 0; // a value the field cannot hold: the grid shows no message
    if (dataError == platform::DataGrid::ErrRecordRefused) {
        // Another program changed the record since it was read: the window
        // is read again, and the message shows what was typed.
        try {
            if (refusedAsStale(typedNotStored())) return;
        } catch (const std::exception&) {
            // the write's own failure is reported
        }
        // The record cannot be written (a read-only file): say so once and
        // drop the edit, so the grid is free to move again.
        platform::MsgBox(grdSpectra->ErrorText());
        discardEdit();
    }
}

// ---- the level boxes ----------------------------------------------------------

void SheetWindow::buildLevelBoxes(QWidget* frame) {
    const int n = bandCount();
    for (int j = 1; j <= n; ++j) {
        auto* label = platform::gui::makeNamedAt<QLabel>(frame, "LF", j);
        label->setAlignment(Qt::AlignCenter);
        if (n == 30) { // 30 labels share the width: "3.15KHz" must fit its box
            QFont small = label->font();
            small.setPointSizeF(small.pointSizeF() * 0.85);
            label->setFont(small);
        }
        auto* box = platform::gui::makeNamedAt<platform::gui::TextBox>(frame, "Lev", j);
        box->setAlignment(Qt::AlignRight);
        lf_[static_cast<size_t>(j)] = label;
        lev_[static_cast<size_t>(j)] = box;
        connect(box, &platform::gui::TextBox::LostFocus, this, [this, j] { Lev_LostFocus(j); });
        connect(box, &platform::gui::TextBox::KeyDown, this,
                [this, j](int key, int shift) { Lev_KeyDown(j, key, shift); });
    }
}

void SheetWindow::layoutLevelBoxes(int width, int rowPitch, int labelHeight) {
    const int n = bandCount();
    const int perRow = n == 30 ? 15 : 10;
    const int boxW = (width - 12) / perRow;
    for (int j = 1; j <= n; ++j) {
        const int r = (j - 1) / perRow, c = (j - 1) % perRow;
        const int x = 6 + c * boxW;
        const int top = 18 + r * rowPitch;
        lf_[static_cast<size_t>(j)]->setGeometry(x, top, boxW - 2, labelHeight);
        lev_[static_cast<size_t>(j)]->setGeometry(x, top + labelHeight, boxW - 2, 22);
    }
}

std::optional<double> SheetWindow::typedLevel(int index) {
    db::Recordset& rs = Data1.recordset();
    constexpr int kFieldType = 2;
    const std::string type = valueText(rs.Fields(kFieldType).value());
    const double stored = bandValue(rs.Fields(7 + index).value());
    const QString text = Lev(index)->text();
    if (text == QString::fromStdString(FormatLevel(stored, type))) return std::nullopt;
    double value = 0;
    if (const TypedLevel read = levelFromText(text, value); read != TypedLevel::Level) {
        platform::MsgBox(typedLevelRefusal(read, text), platform::vbExclamation);
        FillLevBoxes(bandCount());
        return std::nullopt;
    }
    return value;
}

void SheetWindow::selectNextLev() {
    if (gNextLev > 0) {
        if (platform::gui::TextBox* next = Lev(gNextLev)) next->selectAll();
        gNextLev = 0;
    }
}

void SheetWindow::Lev_KeyDown(int index, int keyCode, int shift) {
    constexpr int kKeyEnter = 13;
    if (keyCode != kKeyEnter) return;
    const int n = bandCount();
    if (shift == 0)
        gNextLev = index == n ? 1 : index + 1;
    else
        gNextLev = index == 1 ? n : index - 1;
    Lev(gNextLev)->setFocus(Qt::TabFocusReason);
}

// ---- the current record's edit ---------------------------------------------------

bool SheetWindow::takeBackup(QString* failure) {
    return BackupSheet(false, failure);
}

void SheetWindow::backupBeforeEdit() {
    if (editBackedUp_) return; // one backup per edit, taken before its first write
    editBackedUp_ = true;
    // Nothing is written on a view another program made stale (the write
    // says so), so nothing is backed up for it either.
    try {
        if (sheetView(*this) != SheetView::Current) return;
    } catch (const std::exception&) {
        // the backup's own failure is reported
    }
    QString failure;
    if (takeBackup(&failure)) platform::MsgBox(keptWithoutUndo(failure));
}

bool SheetWindow::commitRecord() {
    db::Recordset& rs = Data1.recordset();
    editBackedUp_ = false;
    if (!rs.isOpen() || !rs.editing()) return true;
    const QString typed = typedNotStored();
    try {
        if (refusedAsStale(typed)) return false;
        rs.Move(0);
        return true;
    } catch (const std::exception& e) {
        // The write may have found its record changed meanwhile.
        try {
            if (refusedAsStale(typed)) return false;
        } catch (const std::exception&) {
        }
        platform::MsgBox(QString::fromStdString(e.what()));
        discardEdit();
        return false;
    }
}

QString SheetWindow::typedNotStored() const {
    db::Recordset& rs = const_cast<db::DataControl&>(Data1).recordset();
    if (!rs.isOpen() || !rs.editing() || !atRecord(rs)) return QString();
    const int at = rs.AbsolutePosition();
    const std::span<const db::Value> stored = rs.rowValues(at);
    QString lines;
    const int n = rs.Fields().Count();
    for (int i = 0; i < n && i < static_cast<int>(stored.size()); ++i) {
        const db::Value typed = rs.peek(at, i);
        const db::Value& was = stored[static_cast<size_t>(i)];
        if (typed.kind() == was.kind() && typed == was) continue;
        lines += "\n" + QString::fromStdString(rs.Fields(i).Name()) + ": " +
                 QString::fromStdString(valueText(typed));
    }
    return lines.isEmpty() ? QString() : " What was typed was not stored:\n" + lines;
}

bool SheetWindow::refusedAsStale(const QString& notStored) {
    const SheetView view = goneReason_.isEmpty() ? sheetView(*this) : SheetView::Gone;
    if (view == SheetView::Current) return false;
    db::Recordset& rs = Data1.recordset();
    editBackedUp_ = false;
    try {
        if (rs.isOpen() && rs.editing()) rs.CancelUpdate();
    } catch (const std::exception&) {
    }
    if (grdSpectra) grdSpectra->setEditActive(false);
    if (view == SheetView::Gone) {
        showGone(notStored);
        return true;
    }
    rereadRecords();
    platform::MsgBox(changedElsewhereText(*this) + notStored, platform::vbExclamation);
    return true;
}

void SheetWindow::showGone(const QString& notStored) {
    // What the window shows stays, to be read and copied; nothing of it can
    // be written any more.
    goneReason_ = goneElsewhereText(*this);
    db::Recordset& rs = Data1.recordset();
    if (atRecord(rs)) {
        try {
            rs.Move(0); // the bound controls show the record as read
        } catch (const std::exception&) {
        }
    }
    applyEditability();
    if (gActiveSheet == this && Lev(1)) FillLevBoxes(bandCount());
    platform::MsgBox(goneReason_ + notStored, platform::vbExclamation);
}

bool SheetWindow::sayIfGone() {
    try {
        if (goneReason_.isEmpty() && sheetInFile(*this)) return false;
    } catch (const std::exception&) {
        return false; // the file cannot be read: the failure's own text is shown
    }
    showGone(QString());
    return true;
}

void SheetWindow::rereadRecords() {
    db::Recordset& rs = Data1.recordset();
    const int position = rs.AbsolutePosition();
    try {
        if (rs.editing()) rs.CancelUpdate();
        rs.Requery();
        if (position >= 1 && rs.RecordCount() > 0)
            rs.setAbsolutePosition(std::min(position, rs.RecordCount()));
        Data2.Refresh();
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
    if (gActiveSheet == this) {
        int first = 0;
        db::Recordset& row = Data2.recordset();
        if (atRecord(row)) {
            const db::Value v = row.Fields("First Band").value();
            if (v.isNumber()) first = static_cast<int>(v.toLong());
        }
        FillChart(bandCount(), first);
        if (Lev(1)) FillLevBoxes(bandCount());
    }
    applyEditability();
}

void SheetWindow::discardEdit() {
    db::Recordset& rs = Data1.recordset();
    editBackedUp_ = false;
    try {
        if (rs.isOpen() && rs.editing()) rs.CancelUpdate();
        if (atRecord(rs)) rs.Move(0); // the bound controls show the stored values again
    } catch (const std::exception&) {
    }
}

void SheetWindow::applyEditability() {
    db::Recordset& rs = Data1.recordset();
    const auto database = rs.isOpen() ? rs.database() : nullptr;
    const bool writable = database && !database->readOnly() && goneReason_.isEmpty();
    if (!goneReason_.isEmpty())
        setReadOnlyReason(goneReason_);
    else
        setReadOnlyReason(database ? QString::fromStdString(database->readOnlyReason())
                                   : QString());
    setFieldsEditable(writable, writable && atRecord(rs));
    const auto triggers = writable ? QAbstractItemView::DoubleClicked |
                                         QAbstractItemView::EditKeyPressed |
                                         QAbstractItemView::AnyKeyPressed
                                   : QAbstractItemView::NoEditTriggers;
    grdSpectra->view()->setEditTriggers(triggers);
    if (grdSpectra->frozenView()) grdSpectra->frozenView()->setEditTriggers(triggers);
}
