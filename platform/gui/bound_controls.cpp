#include "platform/gui/bound_controls.h"

#include "platform/db/error.h"
#include "platform/gui/keys.h"
#include "platform/ui.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>

namespace platform::gui {

// ---- Binding ---------------------------------------------------------------

namespace {

// The record set of a control when it stands on a record.
db::Recordset* currentRecord(db::DataControl* control) {
    if (!control) return nullptr;
    db::Recordset& rs = control->recordset();
    try {
        if (!rs.isOpen() || rs.eof() || rs.bof()) return nullptr;
    } catch (const db::Error&) {
        return nullptr;
    }
    return &rs;
}

} // namespace

FieldBinding::FieldBinding(Display display) : display_(std::move(display)) {}

void FieldBinding::bind(db::DataControl& control, const QString& field) {
    unbind();
    control_ = &control;
    field_ = field;
    moved_ = connect(&control, &db::DataControl::MoveComplete, this, &FieldBinding::show);
    replaced_ =
        connect(&control, &db::DataControl::RecordsetChanged, this, &FieldBinding::observeEdits);
    observeEdits();
    show();
}

void FieldBinding::unbind() {
    if (moved_) disconnect(moved_);
    if (replaced_) disconnect(replaced_);
    edits_.disconnect();
    control_ = nullptr;
    field_.clear();
}

void FieldBinding::observeEdits() {
    edits_.disconnect();
    if (!control_ || !control_->recordset().isOpen()) return;
    edits_ = control_->recordset().observeRows([this](const db::RowEvent& e) {
        if (e.kind == db::RowEvent::Kind::Edited && !writing_) show();
    });
}

std::optional<db::FieldDef> FieldBinding::fieldDef() const {
    if (!control_ || field_.isEmpty()) return std::nullopt;
    try {
        db::Recordset& rs = control_->recordset();
        if (!rs.isOpen()) return std::nullopt;
        if (const db::FieldDef* def = rs.Fields(field_.toStdString()).def()) return *def;
    } catch (const db::Error&) {
    }
    return std::nullopt;
}

void FieldBinding::show() {
    QString text;
    if (db::Recordset* rs = currentRecord(control_)) {
        try {
            text = QString::fromStdString(rs->Fields(field_.toStdString()).value().toText());
        } catch (const db::Error&) {
            // A deleted current record or a missing field shows nothing.
        }
    }
    showing_ = true;
    display_(text);
    showing_ = false;
}

void FieldBinding::write(const QString& text) {
    if (showing_) return;
    db::Recordset* rs = currentRecord(control_);
    if (!rs) return;
    const QScopedValueRollback<bool> writing(writing_, true);
    try {
        db::Field f = rs->Fields(field_.toStdString());
        db::Value v(text.toStdString());
        if (text.isEmpty()) {
            const db::FieldDef* def = f.def();
            if (def && (def->type == db::FieldType::Long || def->type == db::FieldType::Double ||
                        !def->allowZeroLength))
                v = db::Value::null();
        }
        f.setValue(v);
    } catch (const db::Error& e) {
        MsgBox(QString::fromStdString(e.what()), vbExclamation);
    }
}

// ---- Focus -----------------------------------------------------------------

bool isRealFocusMove(const QWidget& control, const QFocusEvent& e) {
    // Hidden with its window (closing, unloading): nothing was left for real.
    if (!control.isVisible()) return false;
    switch (e.reason()) {
    case Qt::PopupFocusReason:   // a popup or drop-down list opened over it
    case Qt::MenuBarFocusReason: // the menu bar took the keyboard
        return false;
    case Qt::ActiveWindowFocusReason:
        // Another window became active: a move only when it is one of ours
        // that the user can work in beside this one, not a message box or a
        // modal dialog (that hands the focus back) and not another program.
        return QApplication::activeWindow() != nullptr &&
               QApplication::activeModalWidget() == nullptr;
    default:
        return true;
    }
}

namespace {

// Raises LostFocus once for a real move, never while its handler runs.
template <class W, class Signal>
void raiseLostFocus(W* control, bool& running, const QFocusEvent& e, Signal signal) {
    if (running || !isRealFocusMove(*control, e)) return;
    QPointer<W> alive(control);
    running = true;
    emit(control->*signal)();
    if (alive) running = false;
}

// Raises KeyDown; false when the control was destroyed by the handler.
template <class W> bool raiseKeyDown(W* control, const QKeyEvent& e) {
    QPointer<W> alive(control);
    emit control->KeyDown(keyCodeOf(e), shiftOf(e.modifiers()));
    return !alive.isNull();
}

} // namespace

template <class Widget, class Control>
void ControlEvents<Widget, Control>::focusOutEvent(QFocusEvent* e) {
    Widget::focusOutEvent(e);
    raiseLostFocus(static_cast<Control*>(this), inLostFocus_, *e, &Control::LostFocus);
}

template <class Widget, class Control>
void ControlEvents<Widget, Control>::keyPressEvent(QKeyEvent* e) {
    if (raiseKeyDown(static_cast<Control*>(this), *e)) Widget::keyPressEvent(e);
}

template <class Widget, class Control> void TextControlEvents<Widget, Control>::textChange() {
    emit static_cast<Control*>(this)->Change();
}

template class ControlEvents<QLineEdit, TextBox>;
template class ControlEvents<QPlainTextEdit, MultiLineTextBox>;
template class TextControlEvents<QLineEdit, TextBox>;
template class TextControlEvents<QPlainTextEdit, MultiLineTextBox>;
template class ControlEvents<QComboBox, ComboBox>;

// ---- Text boxes ------------------------------------------------------------

namespace {

// Moves the caret of its box to the start when the focus really leaves it.
class TextStartKeeper : public QObject {
public:
    explicit TextStartKeeper(QLineEdit* box) : QObject(box), box_(box) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == box_ && event->type() == QEvent::FocusOut) {
            switch (static_cast<QFocusEvent*>(event)->reason()) {
            case Qt::PopupFocusReason: // the box gets the focus back as it was
            case Qt::MenuBarFocusReason:
            case Qt::ActiveWindowFocusReason:
                break;
            default:
                box_->setCursorPosition(0);
            }
        }
        return false;
    }

private:
    QLineEdit* box_;
};

} // namespace

void showTextStart(QLineEdit* box) {
    box->installEventFilter(new TextStartKeeper(box));
    // A box that lost the focus to another window (a dialog, a message) is
    // left for good when its window gets the focus back at another control:
    // a control the program focused meanwhile, such as a sheet opened by
    // the dialog. No focus-out comes to the box then.
    QObject::connect(qApp, &QApplication::focusChanged, box, [box](QWidget*, QWidget* now) {
        if (!now || now == box || now->isAncestorOf(box) || now->window() != box->window()) return;
        if (box->cursorPosition() != 0) box->setCursorPosition(0);
    });
    // Setting a text, even the one shown, puts the caret at its end; the
    // program sets it into a box nobody types in, and leaves it unmodified.
    QObject::connect(box, &QLineEdit::cursorPositionChanged, box, [box](int, int now) {
        if (now == 0 || box->isModified()) return;
        // The window's focus widget, not hasFocus(): a box keeps the focus of
        // its window while another window is active; a combo box's line edit
        // has it through its combo box.
        const QWidget* f = box->window()->focusWidget();
        if (f != box && !(f && f->isAncestorOf(box))) box->setCursorPosition(0);
    });
}

TextBox::TextBox(QWidget* parent) : TextControlEvents(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { textChange(); });
    showTextStart(this);
}

BoundTextBox::BoundTextBox(QWidget* parent)
    : Bound(parent, [this](const QString& text) {
          const auto def = binding_.fieldDef();
          limit_->setSize(def && def->type == db::FieldType::Text ? def->size : 0);
          if (this->text() != text) limit_->show(text);
      }) {
    limit_ = new TextLimit(this, 0);
}

void BoundTextBox::textChange() {
    if (binding_.showing()) return;
    binding_.write(text());
    emit Change();
}

MultiLineTextBox::MultiLineTextBox(QWidget* parent) : TextControlEvents(parent) {
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { textChange(); });
}

void MultiLineTextBox::setText(const QString& text) {
    if (toPlainText() != text) setPlainText(text);
}

BoundMultiLineTextBox::BoundMultiLineTextBox(QWidget* parent)
    : Bound(parent, [this](const QString& text) {
          // Lines of a text written elsewhere may end in CR LF.
          QString shown = text;
          shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
          setText(shown);
      }) {}

void BoundMultiLineTextBox::textChange() {
    if (binding_.showing()) return;
    binding_.write(Text());
    emit Change();
}

// ---- Combo boxes -----------------------------------------------------------

ComboBox::ComboBox(QWidget* parent) : ControlEvents(parent) {
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { selectionChange(); });
    connect(this, &QComboBox::activated, this, [this] { emit Click(); });
}

bool ComboBox::setText(const QString& text) {
    const int i = text.isEmpty() ? -1 : findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(i);
    return i >= 0 || text.isEmpty();
}

BoundComboBox::BoundComboBox(QWidget* parent)
    : Bound(parent, [this](const QString& text) { setText(text); }) {}

void BoundComboBox::selectionChange() {
    binding_.write(Text());
}

} // namespace platform::gui
