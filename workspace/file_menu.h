#pragma once
// The File menu's commands.
#include <QObject>

class QMainWindow;

class FileMenu : public QObject {
    Q_OBJECT
public:
    explicit FileMenu(QMainWindow& main);

    void mnuFileNewFile_Click();
    void mnuFileOpenFile_Click();
    void mnuFileSaveFileAs_Click();
    void mnuFileOptions_Click();
    void mnuFilePrevFiles_Click(int index);
    void mnuFileExit_Click();

private:
    QMainWindow& main_;
};
