#pragma once
// Text boxes and combo boxes with the events the forms handle, and their
// bound kinds that show one field of a data control's current record.
//
// Events (Qt signals, connected to the forms' control_Event handlers):
//  - Change: the text changed, by the user or by code; a bound control's
//    own display of a record is no change.
//  - LostFocus: the focus really moved away: to another control, or to
//    another window of the program that the user activates. A message box,
//    a dialog, a popup or a menu taking the focus is no move (the control
//    keeps its text and gets the focus back), nor is the control vanishing
//    with its window; and it is never raised again while its own handler
//    still runs.
//  - KeyDown(keyCode, shift): before the control handles the key (keys.h).
//  - Click (combo boxes): the user picked an item.
//
// Binding: after every move and every Refresh of the data control the control
// shows the field of the current record ("" at EOF or BOF, for a closed record
// set and for Null), and again whenever something else (a grid cell, code)
// changes the current record's edit buffer. Every change by the user or by
// code goes into the current record's edit buffer at once; the record set
// writes it on Move 0, a move or Update. An emptied text clears a field that
// cannot hold "" (Null).
#include "platform/db/data_control.h"
#include "platform/gui/text_limit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

namespace platform::gui {

// The link between one control and one field of a data control.
class FieldBinding : public QObject {
    Q_OBJECT
public:
    using Display = std::function<void(const QString&)>;
    explicit FieldBinding(Display display);

    void bind(db::DataControl& control, const QString& field);
    void unbind();
    db::DataControl* DataSource() const { return control_; }
    const QString& DataField() const { return field_; }
    // The field's definition in its table, when the record set is open on one.
    std::optional<db::FieldDef> fieldDef() const;

    // Shows the current record's value in the control.
    void show();
    // Puts a text into the current record's edit buffer (not while showing;
    // nothing without a current record). A value the field refuses is
    // reported in a message box and left out.
    void write(const QString& text);
    // True while the binding itself sets the control's text.
    bool showing() const { return showing_; }

private:
    // Hears the edits of the data control's record set, whichever it owns.
    void observeEdits();

    Display display_;
    QPointer<db::DataControl> control_;
    QMetaObject::Connection moved_;
    QMetaObject::Connection replaced_;
    db::Subscription edits_;
    QString field_;
    bool showing_ = false;
    bool writing_ = false;
};

// What every text and combo box does with its events: LostFocus and KeyDown
// raised by the rules above. `Control` declares the signals (moc reads no
// template); the members are instantiated in bound_controls.cpp.
template <class Widget, class Control> class ControlEvents : public Widget {
protected:
    using Widget::Widget;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool inLostFocus_ = false;
};

// A text box's Change, raised for every change of its text.
template <class Widget, class Control>
class TextControlEvents : public ControlEvents<Widget, Control> {
protected:
    using ControlEvents<Widget, Control>::ControlEvents;
    // Called for every change of the text; raises Change.
    virtual void textChange();
};

// A control of `Control`'s kind that shows one field of a data control.
template <class Control> class Bound : public Control {
public:
    void bind(db::DataControl& control, const QString& field) { binding_.bind(control, field); }
    FieldBinding& binding() { return binding_; }

protected:
    Bound(QWidget* parent, FieldBinding::Display display)
        : Control(parent), binding_(std::move(display)) {}
    FieldBinding binding_;
};

// A single-line text box.
class TextBox : public TextControlEvents<QLineEdit, TextBox> {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

signals:
    void Change();
    void LostFocus();
    void KeyDown(int keyCode, int shift);
};

class BoundTextBox : public Bound<TextBox> {
    Q_OBJECT
public:
    explicit BoundTextBox(QWidget* parent = nullptr);

protected:
    void textChange() override;

private:
    TextLimit* limit_ = nullptr; // no more characters than a text field holds
};

// A multi-line text box (Tab moves on, as in the other boxes).
class MultiLineTextBox : public TextControlEvents<QPlainTextEdit, MultiLineTextBox> {
    Q_OBJECT
public:
    explicit MultiLineTextBox(QWidget* parent = nullptr);
    QString Text() const { return toPlainText(); }
    void setText(const QString& text);

signals:
    void Change();
    void LostFocus();
    void KeyDown(int keyCode, int shift);
};

class BoundMultiLineTextBox : public Bound<MultiLineTextBox> {
    Q_OBJECT
public:
    explicit BoundMultiLineTextBox(QWidget* parent = nullptr);

protected:
    void textChange() override;
};

// A drop-down list: the text is one of the items or "".
class ComboBox : public ControlEvents<QComboBox, ComboBox> {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);
    QString Text() const { return currentIndex() < 0 ? QString() : currentText(); }
    // Selects the item with exactly this text, or none for "" (and for a
    // text that is no item: false then).
    bool setText(const QString& text);

signals:
    void Click();
    void LostFocus();
    void KeyDown(int keyCode, int shift);

protected:
    // Called for every change of the selected item.
    virtual void selectionChange() {}
};

class BoundComboBox : public Bound<ComboBox> {
    Q_OBJECT
public:
    explicit BoundComboBox(QWidget* parent = nullptr);

protected:
    void selectionChange() override;
};

// Keeps the start of a box's text in view while nobody types in it: after
// the program sets its text and when the focus leaves it, so that a box
// narrower than its text shows "26.6 dBA" as "26.6 d", not "6 dBA".
void showTextStart(QLineEdit* box);

// Whether a focus-out is a real move of the focus away from `control` (the
// rule every control's LostFocus follows).
bool isRealFocusMove(const QWidget& control, const QFocusEvent& e);

} // namespace platform::gui
