#include "workspace/window_menu.h"

#include "platform/geometry.h"
#include "platform/gui/forms.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

WindowMenu::WindowMenu(QMainWindow& main) : QObject(&main), mdi_(main.findChild<QMdiArea*>()) {
    if (QAction* a = main.findChild<QAction*>("mnuWindowTile"))
        connect(a, &QAction::triggered, this, &WindowMenu::mnuWindowTile_Click);
    // Ctrl+F4 closes the active child window, as its close button does,
    // wherever the focus is. A window frame's own Close carries the key on
    // some platforms, only while the focus is inside it; two commands on one
    // key would run neither, so the frame's gives it up.
    const QKeySequence ctrlF4(Qt::CTRL | Qt::Key_F4);
    auto* close = new QAction(&main);
    close->setObjectName("keyCloseWindow");
    close->setShortcut(ctrlF4);
    close->setShortcutContext(Qt::WindowShortcut);
    main.addAction(close);
    connect(close, &QAction::triggered, this, [this] {
        if (mdi_) mdi_->closeActiveSubWindow();
    });
    if (mdi_)
        connect(mdi_, &QMdiArea::subWindowActivated, this, [ctrlF4](QMdiSubWindow* sub) {
            if (!sub) return;
            for (QAction* a : sub->actions()) {
                QList<QKeySequence> keys = a->shortcuts();
                if (keys.removeAll(ctrlF4)) a->setShortcuts(keys);
            }
        });
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
