#include "platform/gui/text_limit.h"

#include "platform/ui.h"

#include <QLineEdit>
#include <QTimer>

namespace platform::gui {

qsizetype characterCount(const QString& text) {
    qsizetype n = 0;
    for (const QChar c : text)
        n += !c.isLowSurrogate();
    return n;
}

TextLimit::TextLimit(QLineEdit* edit, int size) : QValidator(edit), edit_(edit), size_(size) {
    before_ = edit->text();
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
    edit->setValidator(this);
}

void TextLimit::show(const QString& text) {
    showing_ = true;
    edit_->setText(text);
    showing_ = false;
}

QValidator::State TextLimit::validate(QString& input, int&) const {
    if (size_ <= 0 || showing_) return Acceptable;
    const qsizetype now = characterCount(input);
    if (now <= size_) return Acceptable;
    const qsizetype was = characterCount(before_);
    if (now <= was) return Acceptable; // a text stored too long, made shorter
    // One key more than the box holds stops as the box's limit does; a text
    // pasted or dropped is refused whole, and the user hears why.
    if (now - was > 1) {
        const QString text = "The text would have " + QString::number(now) +
                             " characters, and this box holds at most " + QString::number(size_) +
                             ". Nothing was pasted.";
        QTimer::singleShot(0, edit_, [text] { MsgBox(text, vbExclamation); });
    }
    return Invalid;
}

} // namespace platform::gui
