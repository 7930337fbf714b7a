#include "output/output_menu.h"

#include "output/frm_graph.h"
#include "output/frm_print.h"
#include "platform/geometry.h"
#include "platform/gui/forms.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "sheets/open_close.h"
#include "sheets/sheet_window.h"
#include "sheets/view_hold.h"

#include <QAction>
#include <QComboBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <memory>

namespace {

SheetWindow* activeSheetWindow() {
    QMdiArea* mdi = mdiArea();
    QMdiSubWindow* sub = mdi ? mdi->activeSubWindow() : nullptr;
    return sub ? dynamic_cast<SheetWindow*>(sub->widget()) : nullptr;
}

// The text of a field of the sheet's "Sheets List" row ("" for Null).
QString catalogueField(SheetWindow& sheet, const char* field) {
    db::Recordset& rs = sheet.Data2.recordset();
    return fieldText(rs.Fields(field).value());
}

// A datasheet window shows one type of spectra, or all of them.
std::optional<QString> selectedType(SheetWindow& sheet) {
    QWidget* frame1 = sheet.findChild<QWidget*>(platform::gui::indexedName("frmOtherInfo", 1));
    const int k = frame1 && !frame1->isHidden() ? 1 : 2;
    auto* combo = sheet.findChild<QComboBox*>(platform::gui::indexedName("cmbSelectBy", k));
    if (!combo) throw db::Error("The datasheet window has no spectrum type list.");
    if (combo->currentText() == "<All>") return std::nullopt;
    return combo->currentText();
}

// Binds, captions and fills a new output window; the caller shows it.
template <class W> W* openOutput(const char* prefix, int widthTwips, int heightTwips) {
    SheetWindow* sheet = activeSheetWindow();
    if (!sheet) return nullptr;
    if (rereadViewedWindow(*sheet, true)) return nullptr;
    QMdiArea* mdi = mdiArea();
    std::unique_ptr<W> w;
    try {
        const QString path = sheet->txtDBName->text();
        const QString name = sheet->sheetName();
        const bool isWorksheet = sheet->sheetKind() == db::SheetKind::Worksheet;
        const std::optional<QString> type = isWorksheet ? std::nullopt : selectedType(*sheet);
        w = std::make_unique<W>();
        w->bindSheet(path, name, isWorksheet, type);
        w->setWindowTitle(prefix + name);
        w->txtFirstBand->setText(catalogueField(*sheet, "First Band"));
        w->txtSheetType->setText(catalogueField(*sheet, "Octave/Third Octave"));
        const QString notes = isWorksheet ? catalogueField(*sheet, "Notes") : QString();
        w->setUp(notes);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return nullptr;
    }
    W* window = w.release();
    platform::gui::registerForm(window, window->kind());
    QMdiSubWindow* sub = mdi->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    const int step = platform::twipsToPixels((cascadeCount() - 1) * 300);
    sub->move(step, step);
    sub->resize(platform::twipsToPixels(widthTwips), platform::twipsToPixels(heightTwips));
    window->linkSheetWindow(sheet);
    sub->show();
    mdi->setActiveSubWindow(sub);
    window->lstSpectra->setFocus();
    return window;
}

} // namespace

frmGraph* openGraphWindow() {
    return openOutput<frmGraph>("Graph: ", 11300, 7450);
}

frmPrint* openPrintWindow() {
    return openOutput<frmPrint>("Print: ", 11000, 7700);
}

OutputMenu::OutputMenu(QMainWindow* main) : QObject(main) {
    setObjectName("OutputMenu");
    mdi_ = main->findChild<QMdiArea*>();
    if (QAction* a = main->findChild<QAction*>("mnuGraphDraw"))
        connect(a, &QAction::triggered, this, &OutputMenu::mnuGraphDraw_Click);
    if (QAction* a = main->findChild<QAction*>("mnuGraphPrint"))
        connect(a, &QAction::triggered, this, &OutputMenu::mnuGraphPrint_Click);
    if (mdi_) connect(mdi_, &QMdiArea::subWindowActivated, this, &OutputMenu::subWindowActivated);
}

void OutputMenu::mnuGraphDraw_Click() {
    openGraphWindow();
}

void OutputMenu::mnuGraphPrint_Click() {
    openPrintWindow();
}

void OutputMenu::subWindowActivated(QMdiSubWindow* sub) {
    // A dialog over the frame deactivates it (no window); the window that
    // comes back afterwards was active all along.
    if (!sub || sub == lastActivated_) return;
    lastActivated_ = sub;
    QWidget* w = sub->widget();
    if (auto* sheet = dynamic_cast<SheetWindow*>(w)) {
        for (auto kind : {platform::gui::FormKind::Graph, platform::gui::FormKind::Print})
            for (QWidget* f : platform::gui::formsOfKind(kind))
                if (auto* out = qobject_cast<OutputWindow*>(f)) out->linkSheetWindow(sheet);
        return;
    }
    auto* out = qobject_cast<OutputWindow*>(w);
    if (!out) return;
    // A failure of the set-up is reported; the program goes on.
    try {
        out->Form_Activate();
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}
