#pragma once
// The Window menu's commands (the window list fills itself).
#include <QObject>

class QMainWindow;
class QMdiArea;

class WindowMenu : public QObject {
    Q_OBJECT
public:
    WindowMenu(QMainWindow& main);

    // Cascades the child windows and gives each the size of its kind.
    void mnuWindowTile_Click();

private:
    QMdiArea* mdi_;
};
