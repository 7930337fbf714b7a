#include "workspace/file_menu.h"

#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/sheet_display.h"
#include "workspace/frm_options.h"
#include "workspace/globals.h"
#include "workspace/new_worksheet.h"
#include "workspace/open_worksheet.h"
#include "workspace/prev_files.h"
#include "workspace/worksheet_files.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>

namespace {

QString databaseFilter() {
    return QString::fromLatin1(platform::kDatabaseFilesFilter);
}

} // namespace

FileMenu::FileMenu(QMainWindow& main) : QObject(&main), main_(main) {
    auto on = [&main, this](const char* name, void (FileMenu::*handler)()) {
        if (QAction* a = main.findChild<QAction*>(QLatin1String(name)))
            connect(a, &QAction::triggered, this, handler);
    };
    on("mnuFileNewFile", &FileMenu::mnuFileNewFile_Click);
    on("mnuFileOpenFile", &FileMenu::mnuFileOpenFile_Click);
    on("mnuFileSaveFileAs", &FileMenu::mnuFileSaveFileAs_Click);
    on("mnuFileOptions", &FileMenu::mnuFileOptions_Click);
    on("mnuFileExit", &FileMenu::mnuFileExit_Click);
    for (int i = 0; i < 10; ++i) {
        const QString name = QString("mnuFilePrevFiles(%1)").arg(i);
        if (QAction* a = main.findChild<QAction*>(name))
            connect(a, &QAction::triggered, this, [this, i] { mnuFilePrevFiles_Click(i); });
    }
}

void FileMenu::mnuFileNewFile_Click() {
    if (NewWSFile()) return;
    QString name;
    int bandSystem = 0, firstBand = 0;
    if (NewWS(name, bandSystem, firstBand, gTemplateOK, QString())) return;
    if (OpenWS2(gFilePath, name, bandSystem, firstBand, true)) return;
    const int bands = bandSystem == 1 ? 10 : 30;
    FillChart(bands, firstBand);
    FillLevBoxes(bands);
}

void FileMenu::mnuFileOpenFile_Click() {
    const QString path =
        platform::OpenFileDialog("Open Worksheet File", QString(), QString(), databaseFilter());
    if (!path.isEmpty()) OpenFile(path);
}

void FileMenu::mnuFileSaveFileAs_Click() {
    if (gFilePath.isEmpty()) return;
    const QString path =
        platform::SaveFileDialog("Save Worksheet File As ...", QString(),
                                 QFileInfo(gFilePath).absolutePath(), databaseFilter());
    if (!path.isEmpty()) SaveFileAs(path);
}

void FileMenu::mnuFileOptions_Click() {
    mnuFileOptions();
}

void FileMenu::mnuFilePrevFiles_Click(int index) {
    OpenFile(prevFileCaption(index));
}

void FileMenu::mnuFileExit_Click() {
    // The frame is the first loaded window: closing it closes the rest and ends.
    main_.close();
}
