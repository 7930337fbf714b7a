#pragma once
// The Worksheets menu's commands that open worksheets: the View submenu,
// New Worksheet and Open Worksheet.
#include <QObject>

class QMainWindow;

class WorksheetsMenu : public QObject {
    Q_OBJECT
public:
    explicit WorksheetsMenu(QMainWindow& main);

    void mnuWSViewFormula_Click();
    void mnuWSViewSpread_Click();
    void mnuFileNewWorksheet_Click();
    void mnuFileOpenWorksheet_Click();

private:
    // Reopens the active worksheet in the other view (1 Formula, 2 Spreadsheet).
    void switchView(int view);
};
