#include "sheets/sheet_window.h"

#include "engine/globals.h"
#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>

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

bool readOnlyControl(QObject* watched) {
    if (auto* box = qobject_cast<QLineEdit*>(watched)) return box->isReadOnly();
    if (auto* box = qobject_cast<QPlainTextEdit*>(watched)) return box->isReadOnly();
    if (auto* view = qobject_cast<QAbstractItemView*>(watched))
        return view->editTriggers() == QAbstractItemView::NoEditTriggers;
    return false;
}

} // namespace

bool SheetWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !readOnlyReason_.isEmpty() &&
        editingKey(*static_cast<QKeyEvent*>(event)) && readOnlyControl(watched)) {
        platform::MsgBox(readOnlyReason_);
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

int SheetWindow::heightBeyondOpening(int openingTwips) const {
    // The frame round the window (title bar, borders) is not the window's.
    const QWidget* outer = parentWidget();
    const int frame = outer ? outer->height() - height() : 0;
    return std::max(0, height() - (platform::twipsToPixels(openingTwips) - frame));
}
