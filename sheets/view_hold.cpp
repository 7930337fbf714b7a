#include "sheets/view_hold.h"

#include "engine/globals.h"
#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"
#include "platform/flag_guard.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/sheet_window.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

bool sameFile(const QString& a, const QString& b) {
    std::error_code ec;
    const bool same = std::filesystem::equivalent(a.toStdString(), b.toStdString(), ec);
    return ec ? a == b : same;
}

bool viewedOnly(const QString& file) {
    return db::heldAs(file.toStdString()) == db::FileHold::Viewing;
}

// Shows the window's current record again: boxes, chart and editability
// follow it (the window's own move handling, which fills the active one's).
void showRecordAgain(SheetWindow& w) {
    w.applyEditability();
    db::Recordset& rs = w.Data1.recordset();
    if (gActiveSheet == &w && atRecord(rs)) rs.Move(0);
}

} // namespace

bool rereadViewedWindow(SheetWindow& window, bool command) {
    if (!viewedOnly(window.txtDBName->text()) || !changedElsewhere(window)) return false;
    db::Recordset& rs = window.Data1.recordset();
    if (window.grdSpectra) window.grdSpectra->SelBookmarks().Clear();
    try {
        {
            platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
            const int position = rs.AbsolutePosition();
            rs.Requery();
            const int n = rs.RecordCount();
            if (n > 0) rs.setAbsolutePosition(std::clamp(position, 1, n));
        }
        showRecordAgain(window);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return true;
    }
    if (command)
        platform::MsgBox(changedElsewhereText(window.sheetName()), platform::vbExclamation);
    else
        platform::MsgBox("\"" + window.sheetName() +
                             "\" was changed in its file by another Bandwright since this window "
                             "showed it. The window now shows the file as it is.",
                         platform::vbInformation);
    return true;
}

Takeover takeViewedFile(const QString& file, SheetWindow* window) {
    if (!viewedOnly(file)) return Takeover::None;
    const bool stale = window && changedElsewhere(*window);
    const std::string path = file.toStdString();
    if (!db::takeForWriting(path)) return Takeover::Refused;
    // What a killed program left beside the file; none is at work on it now.
    db::removeWorkFiles(path);

    std::vector<SheetWindow*> windows;
    for (QWidget* form : platform::gui::formsOfKind(platform::gui::FormKind::Worksheet))
        if (auto* w = dynamic_cast<SheetWindow*>(form))
            if (sameFile(w->txtDBName->text(), file)) windows.push_back(w);
    QStringList failed;
    for (SheetWindow* w : windows) {
        try {
            platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
            const int position = w->Data1.recordset().AbsolutePosition();
            w->Data2.Refresh();
            w->Data1.Refresh();
            db::Recordset& rs = w->Data1.recordset();
            if (position >= 1 && position <= rs.RecordCount()) rs.setAbsolutePosition(position);
        } catch (const std::exception& e) {
            failed << w->sheetName() + ": " + QString::fromStdString(e.what());
        }
    }
    for (SheetWindow* w : windows)
        showRecordAgain(*w);
    if (!failed.isEmpty())
        platform::MsgBox("These windows could not read \"" + file +
                         "\" again and still show it as they did:\n\n" + failed.join('\n'));
    return stale ? Takeover::TakenChanged : Takeover::Taken;
}

QString takenChangedText(const QString& sheet) {
    return "\"" + sheet +
           "\" was changed by another Bandwright, which has since let go of its file: the window "
           "now shows the file as it is, and it can be changed here from now on, but nothing was "
           "done; check the spectra and give the command again.";
}
