#pragma once
// The main window: the multiple-document frame that holds every sheet,
// graph and print window.
#include <QMainWindow>
#include <QMdiArea>

class Bandwright : public QMainWindow {
    Q_OBJECT
public:
    explicit Bandwright(QWidget* parent = nullptr);

    QMdiArea* mdiArea = nullptr;
};

// The default instance, created on first use.
Bandwright& mainWindow();
