#include "sheets/open_datasheet.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/sheet_layout.h"
#include "platform/geometry.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/datasheet_layout.h"
#include "sheets/datasheet_window.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "tables/globals.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

// The kind of a datasheet whose catalogue row holds none: from its fields.
int kindOfTable(const std::string& file, const std::string& name) {
    auto database = db::Database::open(file);
    for (const db::FieldDef& f : database->tableDef(name).fields)
        if (f.name == "Details") return kConstructionData;
    return kSourceData;
}

} // namespace

bool OpenDS2(const QString& file, const QString& name, int bandKind, int firstBand,
             int datasheetType, bool /*isWorksheet*/) {
    QPointer<DatasheetWindow> w = newDatasheetWindow(bandKind);
    const std::string path = file.toStdString();
    const std::string sheet = name.toStdString();
    const std::string connect = gConnect + "Data Source=" + path;
    try {
        if (const auto fault = sheetFault(path, sheet, false)) throw db::Error(*fault);
        w->fillLists(firstBand);
        w->setDatasheetType(datasheetType == kSourceData || datasheetType == kConstructionData
                                ? datasheetType
                                : kindOfTable(path, sheet));
        w->txtDBName->setText(file);
        w->fileHold = db::keepShared(path);
        w->setWindowTitle("Datasheet: " + name);
        w->Data1.setConnectionString(connect);
        w->setFilter("<All>");
        w->Data2.setConnectionString(connect);
        w->Data2.setRecordSource("SELECT * FROM " + db::quoteIdent(db::kSheetsList) + " WHERE " +
                                     db::quoteIdent("Sheet Name") + " = ?",
                                 {db::Value(sheet)});
        w->Data2.Refresh();
        if (w->Data2.recordset().eof())
            throw db::Error("The datasheet " + sheet + " has no row in the Sheets List table");
        w->Data3.setConnectionString(connect);
        w->Data3.setRecordSource("SELECT * FROM " + db::quoteIdent(sheet) + " ORDER BY " +
                                 db::quoteIdent("Code"));
        w->Data3.Refresh();
        w->fillTypeSelector("<All>");
        QMdiArea* mdi = mdiArea();
        if (!mdi) throw db::Error("The main window is not open.");

        platform::gui::registerForm(w, platform::gui::FormKind::Datasheet);
        SetMenus(kMenuDatasheet, false);
        watchActivation(mdi);
        QMdiSubWindow* sub = mdi->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        const int step = (cascadeCount() - 1) * 300;
        platform::gui::setTwipsGeometry(w, step, step, 10000, 7500);
        gActiveSheet = w;
        sub->show();
        mdi->setActiveSubWindow(sub);
    } catch (const std::exception& e) {
        // A failed open leaves recalculation and redraw as they were.
        gBusy = false;
        platform::MsgBox(QString::fromStdString(e.what()));
        if (w) {
            if (gActiveSheet == w) gActiveSheet = nullptr;
            if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
                sub->close();
            } else {
                platform::gui::unregisterForm(w);
                delete w;
            }
        }
        return true;
    }
    return false;
}
