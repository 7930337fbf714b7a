// The main window's load handler: the part of start-up that belongs to the
// workspace, from the settings to the start dialog.
#include "engine/globals.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/sheet_display.h"
#include "workspace/app_settings.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_start_dialogs.h"
#include "workspace/globals.h"
#include "workspace/new_worksheet.h"
#include "workspace/open_worksheet.h"
#include "workspace/prev_files.h"
#include "workspace/sheet_files.h"
#include "workspace/worksheet_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace {

// The templates or the datasheets file: the stored one, else the default
// one in the data folder, made there when it is missing (as an installer
// would have put it there). A file the user chose is never made.
struct StdFile {
    const char* key;
    CatalogueKind kind;
    QString defaultPath;
    const char* dialogTitle;
    const char* refusal;
};

bool checkStdFile(const StdFile& f, QString& path) {
    const bool stored = workspace::hasSetting("Startup", f.key);
    path = workspace::setting("Startup", f.key, f.defaultPath);
    if (!stored && !QFileInfo::exists(f.defaultPath)) {
        try {
            QDir().mkpath(workspace::dataFolder());
            createSheetsFile(f.defaultPath, f.kind);
        } catch (const std::exception&) {
            // not made: the check below fails and the user is asked
        }
    }
    bool ok = SheetsListFileOK(path);
    if (!ok) {
        bool ask = true;
        if (f.kind == CatalogueKind::Worksheets) {
            frmNoTemplate dialog;
            dialog.place(2000, 2000);
            platform::ShowModal(dialog);
            ask = !dialog.optIgnore->isChecked();
        }
        if (ask) {
            path = platform::OpenFileDialog(f.dialogTitle, path, QString(),
                                            QString::fromLatin1(platform::kDatabaseFilesFilter));
            if (!path.isEmpty()) {
                ok = SheetsListFileOK(path);
                if (!ok) platform::MsgBox(f.refusal);
            }
        }
    }
    if (ok) workspace::saveSetting("Startup", f.key, path);
    return ok;
}

void runStartDialog() {
    bool cancelled = false, newFile = false;
    QString chosen;
    {
        frmSElWSFile dialog;
        dialog.place(2000, 2000);
        dialog.optNewFile->setChecked(true);
        dialog.optCancelled->setChecked(false);
        dialog.lstExistFiles->clear();
        for (int i = 0; i < gShowFiles; ++i)
            dialog.lstExistFiles->addItem(prevFileCaption(i));
        platform::ShowModal(dialog);
        cancelled = dialog.optCancelled->isChecked();
        newFile = dialog.optNewFile->isChecked();
        chosen = dialog.txtOpen->text();
    }
    // The dialog is gone before a sheet opens: its caption holds "Worksheet",
    // and a first window placed one cascade step in would have the next one
    // opened exactly over it.
    if (cancelled) return;
    if (newFile) {
        if (NewWSFile()) return;
        QString name;
        int bandSystem = 0, firstBand = 0;
        if (NewWS(name, bandSystem, firstBand, gTemplateOK, QString())) return;
        if (OpenWS2(gFilePath, name, bandSystem, firstBand, true)) return;
        FillChart(bandSystem == 1 ? 10 : 30, firstBand);
    } else {
        OpenFile(chosen);
    }
}

} // namespace

void Bandwright::MDIForm_Load() {
    setWindowState(windowState() | Qt::WindowMaximized);
    gFilePath.clear();
    gBusy = false;
    try {
        gShowFiles = workspace::showFilesFromText(workspace::setting("Startup", "ShowFiles", "4"));
        gDefaultView = workspace::setting("StartUp", "DefaultView", "Formula");
        gDefaultDir = workspace::setting("StartUp", "DefaultDir");
        FillPrevFiles();
        show();
        gHelpFile = QCoreApplication::applicationDirPath() + "/../share/bandwright/BWHelp.html";

        gTemplateOK =
            checkStdFile({"TemplateFile", CatalogueKind::Worksheets,
                          workspace::defaultTemplateFile(), "Select file containing templates",
                          "Selected file is not in correct format.  Ignoring templates."},
                         gTemplatePath);
        gDatasheetOK =
            checkStdFile({"DatasheetFile", CatalogueKind::Datasheets,
                          workspace::defaultDatasheetFile(), "Select file containing datasheets",
                          "Selected file is not in correct format.  Ignoring datasheets."},
                         gDatasheetPath);
        holdSharedFiles();
        SetMenus(kMenuNoFile);
        runStartDialog();
    } catch (const std::exception& e) {
        show();
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
