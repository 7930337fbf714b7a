#pragma once
// The main window's Datasheets menu: new and open datasheets of the
// datasheets file, and the datasheet commands the Edit menu leaves to the
// datasheet windows.
#include <QObject>

class QWidget;

class DatasheetsMenu : public QObject {
    Q_OBJECT
public:
    // Connects the items of `main`'s menu bar (found by their names).
    explicit DatasheetsMenu(QWidget& main);

    void mnuDtaNewDatasheet_Click();
    void mnuFileOpenDatasheet_Click();
    void mnuDtaDeleteDatasheet_Click();
    void mnuDtaRenameDatasheet_Click();
    void mnuDtaSaveDatasheetAs_Click();
};
