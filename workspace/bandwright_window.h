#pragma once
// The main window: the multiple-document frame that holds every sheet,
// graph and print window, with the menu bar whose commands are handled one
// class per menu.
#include <QMainWindow>
#include <QMdiArea>

class FileMenu;
class WorksheetsMenu;
class WindowMenu;

class Bandwright : public QMainWindow {
    Q_OBJECT
public:
    explicit Bandwright(QWidget* parent = nullptr);

    // Shows the window; the first time, this loads it: MDIForm_Load runs the
    // rest of start-up (settings, previous files, the templates and
    // datasheets files, the start dialog) before it returns.
    void Show();

    // Start-up and shut-down.
    void MDIForm_Load();
    void MDIForm_Unload();

    QMdiArea* mdiArea = nullptr;

protected:
    // Closing the frame closes every child window, each with its own close
    // handling, then runs MDIForm_Unload.
    void closeEvent(QCloseEvent* event) override;
    // Activated again (the user comes back from another program): the active
    // window of a file viewed only here shows what another program changed.
    void changeEvent(QEvent* event) override;

private:
    bool loaded_ = false;
    FileMenu* fileMenu_ = nullptr;
    WorksheetsMenu* worksheetsMenu_ = nullptr;
    WindowMenu* windowMenu_ = nullptr;
};

// The default instance, created on first use.
Bandwright& mainWindow();
