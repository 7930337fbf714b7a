#pragma once
// The Help menu: the help window, the function help (which can write a
// function call into the current formula) and the information window.
#include <QObject>

class QMainWindow;

class HelpMenu : public QObject {
    Q_OBJECT
public:
    explicit HelpMenu(QMainWindow& main);

    void mnuHelpGeneral_Click();
    void mnuHelpFunctions_Click();
    void mnuHelpAbout_Click();

private:
    QMainWindow& main_;
};
