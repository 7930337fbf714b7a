#pragma once
// The small notice window shown while a long command works ("Restoring ..."
// during Undo). It never takes the focus, so the sheet window under it stays
// the active one.
#include <QLabel>
#include <QWidget>

class frmRecalc : public QWidget {
    Q_OBJECT
public:
    explicit frmRecalc(QWidget* parent = nullptr);

    // Centres the notice across `window` and a third of the way down it (at
    // the window's own corner when the notice is larger), shows it and
    // paints it at once.
    void showOver(QWidget* window);

    QLabel* Label1 = nullptr;
};
