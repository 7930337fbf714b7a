#include "platform/gui/list_keys.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>

namespace platform::gui {
namespace {

class MovingKeysChoose : public QObject {
public:
    explicit MovingKeysChoose(QAbstractItemView* list) : QObject(list), list_(list) {}

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != list_ || e->type() != QEvent::KeyPress || busy_) return false;
        const auto* key = static_cast<QKeyEvent*>(e);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            break;
        default:
            return false;
        }
        // The list moves first, then its current line is chosen when the
        // move left it unchosen.
        busy_ = true;
        QCoreApplication::sendEvent(list_, e);
        busy_ = false;
        e->accept(); // delivered once: the send above took it to the parents
        QItemSelectionModel* selection = list_->selectionModel();
        const QModelIndex current = list_->currentIndex();
        if (selection && current.isValid() && !selection->isSelected(current))
            selection->select(current, QItemSelectionModel::ClearAndSelect);
        return true;
    }

private:
    QAbstractItemView* list_;
    bool busy_ = false;
};

} // namespace

void chooseWithMovingKeys(QAbstractItemView* list) {
    list->installEventFilter(new MovingKeysChoose(list));
}

} // namespace platform::gui
