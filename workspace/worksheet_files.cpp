#include "workspace/worksheet_files.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_copy.h"
#include "platform/db/file_lock.h"
#include "platform/db/sheet_layout.h"
#include "platform/flag_guard.h"
#include "platform/gui/forms.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/sheet_window.h"
#include "tables/globals.h"
#include "workspace/file_paths.h"
#include "workspace/globals.h"
#include "workspace/new_worksheet.h"
#include "workspace/open_worksheet.h"
#include "workspace/prev_files.h"
#include "workspace/sheet_files.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <vector>

namespace {

using platform::gui::FormKind;

void updatePrevFilesReported(const QString& path, PrevFilesUpdate how) {
    try {
        UpdatePrevFiles(path, how);
    } catch (const platform::SettingsError& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

// The worksheet windows that show a sheet of `file`, in load order.
std::vector<SheetWindow*> worksheetWindowsOf(const QString& file) {
    std::vector<SheetWindow*> out;
    for (QWidget* form : platform::gui::formsOfKind(FormKind::Worksheet))
        if (auto* w = dynamic_cast<SheetWindow*>(form))
            if (samePath(w->txtDBName->text(), file)) out.push_back(w);
    return out;
}

// Writes the edit in progress of a data control's record set.
void commitEdit(db::DataControl& control) {
    db::Recordset& rs = control.recordset();
    if (rs.isOpen() && rs.editing()) rs.Move(0);
}

std::string replaceDataSource(const std::string& connect, const std::string& from,
                              const std::string& to) {
    const std::string key = "Data Source=";
    const size_t at = connect.find(key + from);
    if (at == std::string::npos) return gConnect + key + to;
    return connect.substr(0, at) + key + to + connect.substr(at + key.size() + from.size());
}

// Binds a worksheet window's data controls to another file, on the same
// record. A failure puts the window back on the file it showed and throws.
void rebind(SheetWindow& w, const QString& from, const QString& to) {
    platform::FlagGuard busy(gBusy);
    db::Recordset& rs = w.Data1.recordset();
    const int position = rs.isOpen() ? rs.AbsolutePosition() : 0;
    const std::string before1 = w.Data1.ConnectionString();
    const std::string before2 = w.Data2.ConnectionString();
    try {
        for (db::DataControl* c : {&w.Data1, &w.Data2}) {
            c->setConnectionString(
                replaceDataSource(c->ConnectionString(), from.toStdString(), to.toStdString()));
            c->Refresh();
        }
    } catch (...) {
        w.Data1.setConnectionString(before1);
        w.Data2.setConnectionString(before2);
        try {
            w.Data1.Refresh();
            w.Data2.Refresh();
        } catch (const std::exception&) {
            // the first failure is the one to report
        }
        throw;
    }
    db::Recordset& now = w.Data1.recordset();
    if (position >= 1 && position <= now.RecordCount()) now.setAbsolutePosition(position);
    w.txtDBName->setText(to);
}

} // namespace

bool takeWorksheetFile(const QString& path) {
    const std::string file = path.toStdString();
    if (!QFileInfo::exists(path)) return false;
    // Opened again once the other program let go, it is this one's to write.
    if (db::heldAs(file) == db::FileHold::Viewing) db::releaseFile(file);
    if (db::heldAs(file)) return false;
    db::holdFile(file);
    return true;
}

void tellIfViewingOnly(const QString& path) {
    const auto cause = db::viewingCause(path.toStdString());
    if (!cause) return;
    if (*cause == db::ViewingCause::OtherProgram) {
        platform::MsgBox("The file \"" + path +
                             "\" is open in another Bandwright.\n\nIt opens here for viewing "
                             "only: nothing in it can be changed here. To work on it, close it in "
                             "the other Bandwright, or save a copy with File > Save File As.",
                         platform::vbExclamation);
        return;
    }
    platform::MsgBox(QString::fromStdString(*db::viewingReason(path.toStdString())) +
                         ".\n\nIt opens here for viewing only. To work on it, save a copy with "
                         "File > Save File As.",
                     platform::vbExclamation);
}

void holdSharedFiles() {
    db::releaseSharedFiles();
    for (const auto& [path, ok] :
         {std::pair{gTemplatePath, gTemplateOK}, std::pair{gDatasheetPath, gDatasheetOK}})
        if (ok) db::shareFile(path.toStdString());
}

QString replaceRefused(const QString& path) {
    const auto why = db::replaceRefusal(path.toStdString());
    if (!why) return {};
    QString text = QString::fromStdString(*why);
    const auto own = [&path](const QString& file, bool ok) { return ok && samePath(path, file); };
    if (own(gDatasheetPath, gDatasheetOK))
        text = "\"" + path +
               "\" is the datasheets file of this Bandwright; it cannot be replaced while it is "
               "open";
    else if (own(gTemplatePath, gTemplateOK))
        text = "\"" + path +
               "\" is the templates file of this Bandwright; it cannot be replaced while it is "
               "open";
    return text + ". Choose another name for the copy.";
}

void setMainCaption(const QString& path) {
    platform::gui::setCaption(mainForm(), path.isEmpty() ? QStringLiteral("Bandwright")
                                                         : QStringLiteral("Bandwright: ") + path);
}

void closeOldFileWindows() {
    const std::vector<QWidget*> forms = platform::gui::loadedForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        const auto kind = platform::gui::formKind(*it);
        if (kind != FormKind::Worksheet && kind != FormKind::Graph && kind != FormKind::Print)
            continue;
        // Its close handling works on the active sheet.
        if (auto* sheet = dynamic_cast<db::SheetForm*>(*it)) gActiveSheet = sheet;
        platform::gui::frameOf(*it)->close();
    }
}

bool NewWSFile() {
    const QString path =
        platform::SaveFileDialog("Create New Worksheet File", QString(), gDefaultDir,
                                 QString::fromLatin1(platform::kDatabaseFilesFilter));
    if (path.isEmpty()) return true;
    try {
        createSheetsFile(path, CatalogueKind::Worksheets);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    db::holdFile(path.toStdString());
    gFilePath = path;
    setMainCaption(path);
    closeOldFileWindows();
    db::releaseAllFiles(path.toStdString(), true);
    updatePrevFilesReported(path, PrevFilesUpdate::Created);
    SetMenus(kMenuFileOpen);
    if (!platform::gui::formsOfKind(FormKind::Datasheet).empty()) SetMenus(kMenuDatasheet);
    return false;
}

bool OpenFile(const QString& path) {
    long long rows = 0;
    // Taken before the file is read, so that a file another program writes
    // is only read here.
    const bool taken = takeWorksheetFile(path);
    try {
        auto database = db::Database::open(path.toStdString());
        if (!hasSheetsList(*database)) {
            if (taken) db::releaseFile(path.toStdString());
            platform::MsgBox("Database does not contain a 'Sheets List' table");
            return true;
        }
        // Files of an older layout have no Notes.
        if (database->tableDef(db::kSheetsList).fields.size() == 3) {
            db::FieldDef notes;
            notes.name = "Notes";
            notes.type = db::FieldType::Memo;
            notes.allowZeroLength = true;
            database->appendField(db::kSheetsList, notes);
        }
        rows = database->scalar("SELECT count(*) FROM " + db::quoteIdent(db::kSheetsList)).toLong();
    } catch (const std::exception& e) {
        if (taken) db::releaseFile(path.toStdString());
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    if (taken) tellIfViewingOnly(path);
    // What a killed program of ours left beside the file; none is at work
    // on them while this one writes the file.
    if (db::heldAs(path.toStdString()) == db::FileHold::Writing)
        db::removeWorkFiles(path.toStdString());

    closeOldFileWindows();
    db::releaseAllFiles(path.toStdString(), true);
    gFilePath = path;
    setMainCaption(path);
    updatePrevFilesReported(path, PrevFilesUpdate::Opened);
    SetMenus(kMenuFileOpen);

    if (rows == 0) {
        QString name;
        int bandSystem = 0, firstBand = 0;
        if (NewWS(name, bandSystem, firstBand, gTemplateOK, QString())) return true;
        if (OpenWS2(gFilePath, name, bandSystem, firstBand, true)) return true;
    } else if (OpenWS(gFilePath, true, false)) {
        return true;
    }

    if (QMdiArea* mdi = mdiArea(); mdi && mdi->activeSubWindow()) {
        const auto kind = platform::gui::formKind(mdi->activeSubWindow()->widget());
        if (kind == FormKind::Worksheet)
            SetMenus(kMenuWorksheet);
        else if (kind == FormKind::Datasheet)
            SetMenus(kMenuDatasheet);
    }
    return false;
}

bool SaveFileAs(const QString& path) {
    const QString old = gFilePath;
    if (old.isEmpty()) return true;
    if (samePath(path, old)) {
        platform::MsgBox("The worksheet file is open under this name already. Choose another "
                         "name for the copy.",
                         platform::vbExclamation);
        return true;
    }
    const std::vector<SheetWindow*> windows = worksheetWindowsOf(old);
    // A file deleted while open is still read through a window's connection.
    std::shared_ptr<db::Database> held;
    for (SheetWindow* w : windows)
        if (w->Data1.recordset().isOpen() && w->Data1.recordset().database()->gone())
            held = w->Data1.recordset().database();
    try {
        // What is typed but not yet written goes into the copy too.
        for (SheetWindow* w : held ? std::vector<SheetWindow*>() : windows) {
            commitEdit(w->Data1);
            commitEdit(w->Data2);
        }
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    // With no window, the copy is made from the name: only while it still
    // names the file this program opened.
    if (!held && db::replacedAtName(old.toStdString())) {
        platform::MsgBox("The file \"" + old +
                             "\" was replaced by another file while it was open here, and "
                             "nothing was copied: the file now under that name is not the one "
                             "this program opened.",
                         platform::vbExclamation);
        return true;
    }
    // A file open anywhere is never replaced: asked no question.
    if (const QString refused = replaceRefused(path); !refused.isEmpty()) {
        platform::MsgBox(refused, platform::vbExclamation);
        return true;
    }
    if (QFileInfo::exists(path) &&
        platform::MsgBox("\"" + path + "\" already exists.\nDo you want to replace it?",
                         platform::vbYesNo + platform::vbQuestion + platform::vbDefaultButton2) !=
            platform::vbYes)
        return true;
    try {
        // The copy is this program's to write from the moment it has its name.
        if (held)
            db::copyDatabaseFile(*held, path.toStdString(), true);
        else
            db::copyDatabaseFile(old.toStdString(), path.toStdString(), true);
    } catch (const std::exception& e) {
        platform::MsgBox("Error copying file\n\n" + QString::fromStdString(e.what()));
        return true;
    }

    setMainCaption(path);
    gFilePath = path;
    db::releaseFile(old.toStdString());
    QStringList failed;
    for (SheetWindow* w : windows) {
        try {
            rebind(*w, old, path);
            // The undo copy went into the copy with the sheet: Undo takes it there.
            if (gBackupCaption == w->caption() && samePath(gBackupFile, old)) gBackupFile = path;
            // The window sees its new file: a copy of one only viewed can be edited.
            db::Recordset& rs = w->Data1.recordset();
            if (rs.isOpen() && !rs.eof() && !rs.bof()) rs.Move(0);
        } catch (const std::exception& e) {
            failed << w->sheetName() + ": " + QString::fromStdString(e.what());
        }
    }
    if (!failed.isEmpty())
        platform::MsgBox("These windows could not be moved to the copy and still show \"" + old +
                         "\":\n\n" + failed.join('\n'));
    return false;
}
