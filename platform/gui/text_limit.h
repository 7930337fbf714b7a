#pragma once
// The length limit of a line edit that shows a text field: it takes no more
// characters than the field holds. Typing stops at the limit; a longer text
// pasted or dropped is refused whole with a message, never cut short.
#include <QString>
#include <QValidator>

class QLineEdit;

namespace platform::gui {

class TextLimit : public QValidator {
    Q_OBJECT
public:
    // Becomes `edit`'s validator; `size` 0 sets no limit.
    TextLimit(QLineEdit* edit, int size);

    void setSize(int size) { size_ = size; }
    int size() const { return size_; }
    // Shows a stored text, which another program may have written longer
    // than the limit: shown whole, and the user may shorten it.
    void show(const QString& text);

    State validate(QString& input, int& pos) const override;

private:
    QLineEdit* edit_;
    int size_;
    QString before_; // the text before the change being checked
    bool showing_ = false;
};

// The characters of a text as a field counts them (a pair of surrogates is one).
qsizetype characterCount(const QString& text);

} // namespace platform::gui
