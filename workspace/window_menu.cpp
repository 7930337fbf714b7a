#include "workspace/window_menu.h"

#include "platform/geometry.h"
#include "platform/gui/forms.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

WindowMenu::WindowMenu(QMainWindow& main) : QObject(&main), mdi_(main.findChild<QMdiArea*>()) {
    if (QAction* a = main.findChild<QAction*>("mnuWindowTile"))
        connect(a, &QAction::triggered, this, &WindowMenu::mnuWindowTile_Click);
}

void WindowMenu::mnuWindowTile_Click() {
    if (!mdi_) return;
    using platform::gui::FormKind;
    const auto windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    // A minimised or maximised window cannot take a size: it comes back first.
    for (QMdiSubWindow* sub : windows)
        if (sub->isMinimized() || sub->isMaximized()) sub->showNormal();
    mdi_->cascadeSubWindows();
    for (QMdiSubWindow* sub : windows) {
        const auto kind = platform::gui::formKind(sub->widget());
        int width = 0;
        if (kind == FormKind::Worksheet)
            width = 11300;
        else if (kind == FormKind::Datasheet || kind == FormKind::Graph || kind == FormKind::Print)
            width = 10000;
        if (width) sub->resize(platform::twipsToPixels(width), platform::twipsToPixels(7500));
    }
}
