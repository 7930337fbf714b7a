#pragma once
// The main window's Output menu: Graph and Print open a graph or a print
// window on the active worksheet or datasheet window. It also runs the
// output windows' activation, and ties each to the sheet window it shows, so
// that it follows a rename of the sheet.
#include <QObject>
#include <QPointer>

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class OutputWindow;
class frmGraph;
class frmPrint;

class OutputMenu : public QObject {
    Q_OBJECT
public:
    explicit OutputMenu(QMainWindow* main);

    void mnuGraphDraw_Click();
    void mnuGraphPrint_Click();

private:
    void subWindowActivated(QMdiSubWindow* sub);

    QMdiArea* mdi_ = nullptr;
    QPointer<QMdiSubWindow> lastActivated_;
};

// The opener shared by both commands: binds a new output window to the
// active sheet window's sheet, captions, fills, places and shows it. Returns
// the window, or nullptr when no sheet window is active or binding failed
// (the failure is shown).
frmGraph* openGraphWindow();
frmPrint* openPrintWindow();
