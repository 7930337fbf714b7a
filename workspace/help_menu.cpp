#include "workspace/help_menu.h"

#include "engine/globals.h"
#include "engine/recalc.h"
#include "platform/db/recordset.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/open_close.h"
#include "sheets/sheet_display.h"
#include "sheets/worksheet_window.h"
#include "workspace/frm_function_help.h"
#include "workspace/frm_help.h"
#include "workspace/frm_splash2.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

namespace {

QWidget* activeChild() {
    QMdiArea* mdi = mdiArea();
    QMdiSubWindow* sub = mdi ? mdi->activeSubWindow() : nullptr;
    return sub ? sub->widget() : nullptr;
}

// gActiveKind for a window: 1 worksheet, 2 datasheet, 3 graph, 4 print, else 0.
int activeKindOf(QWidget* w) {
    using platform::gui::FormKind;
    if (!w) return 0;
    for (auto [kind, number] :
         {std::pair{FormKind::Worksheet, 1}, std::pair{FormKind::Datasheet, 2},
          std::pair{FormKind::Graph, 3}, std::pair{FormKind::Print, 4}})
        for (QWidget* f : platform::gui::formsOfKind(kind))
            if (f == w) return number;
    return 0;
}

// gNoRecalc for as long as the command runs.
struct NoRecalc {
    NoRecalc() { gNoRecalc = true; }
    ~NoRecalc() { gNoRecalc = false; }
    NoRecalc(const NoRecalc&) = delete;
    NoRecalc& operator=(const NoRecalc&) = delete;
};

// Where a function call can go: the formula text, the caret and the
// selection's length.
struct FormulaPlace {
    QString text;
    int caret = 0;
    int selection = 0;
};

// The grid's cell editor, when a cell is being edited.
QLineEdit* gridEditor(platform::DataGrid* grid) {
    if (!grid->EditActive()) return nullptr;
    for (QTableView* view : {grid->view(), grid->frozenView()})
        if (view)
            for (auto* e : view->viewport()->findChildren<QLineEdit*>())
                if (e->isVisibleTo(view)) return e;
    return nullptr;
}

std::optional<FormulaPlace> writablePlace(WorksheetWindow* w) {
    if (!w) return std::nullopt;
    FormulaPlace p;
    if (w->view() == WorksheetWindow::Formula) {
        if (w->grdSpectra->Col() != 2) return std::nullopt;
        if (QLineEdit* e = gridEditor(w->grdSpectra)) {
            p.text = e->text();
            p.caret = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
            p.selection = static_cast<int>(e->selectedText().size());
        } else {
            // A cell not being edited: the call goes after the formula.
            const db::Recordset& rs = w->Data1.recordset();
            const int pos = rs.AbsolutePosition();
            if (pos < 1) return std::nullopt;
            p.text = QString::fromStdString(rs.peek(pos, 7).toText());
            p.caret = static_cast<int>(p.text.size());
        }
        return p;
    }
    // The Spreadsheet view: only from the formula box itself.
    if (w->focusWidget() != w->txtFormula) return std::nullopt;
    p.text = w->txtFormula->text();
    p.caret = w->txtFormula->hasSelectedText() ? w->txtFormula->selectionStart()
                                               : w->txtFormula->cursorPosition();
    p.selection = static_cast<int>(w->txtFormula->selectedText().size());
    return p;
}

} // namespace

HelpMenu::HelpMenu(QMainWindow& main) : QObject(&main), main_(main) {
    auto on = [&main, this](const char* name, void (HelpMenu::*handler)()) {
        if (QAction* a = main.findChild<QAction*>(QLatin1String(name)))
            connect(a, &QAction::triggered, this, handler);
    };
    on("mnuHelpGeneral", &HelpMenu::mnuHelpGeneral_Click);
    on("mnuHelpFunctions", &HelpMenu::mnuHelpFunctions_Click);
    on("mnuHelpAbout", &HelpMenu::mnuHelpAbout_Click);
}

void HelpMenu::mnuHelpGeneral_Click() {
    showHelpWindow(&main_);
}

void HelpMenu::mnuHelpAbout_Click() {
    QWidget* child = activeChild();
    {
        frmSplash2 about;
        about.lblDisplay->hide();
        about.place(2000, 2000);
        platform::ShowModal(about);
    }
    // The child is not activated again: its kind comes back from here.
    gActiveKind = activeKindOf(child);
}

void HelpMenu::mnuHelpFunctions_Click() {
    auto* w = dynamic_cast<WorksheetWindow*>(activeChild());
    frmFunctionHelp& dialog = functionHelpForm();
    dialog.cmdWrite->hide();
    for (int p = 1; p <= 6; ++p)
        dialog.txtPar[p]->setEnabled(false);

    const std::optional<FormulaPlace> place = writablePlace(w);
    db::Value code;
    if (place) {
        try {
            code = w->Data1.recordset().Fields("Code").value();
        } catch (const std::exception&) {
            return;
        }
        dialog.cmdWrite->show();
        for (int p = 1; p <= 6; ++p)
            dialog.txtPar[p]->setEnabled(true);
    }

    NoRecalc noRecalc;
    dialog.optWrite->setChecked(false);
    dialog.place(2000, 2000);
    platform::ShowModal(dialog);
    if (!place || !dialog.optWrite->isChecked()) return;

    const QString left = place->text.left(place->caret);
    const QString right = place->text.mid(place->caret + place->selection);
    const QString formula = left + dialog.functionCall() + right;
    try {
        // The record the call was written for: found by its Code, as the
        // grid may have moved while the dialog was up.
        if (w->grdSpectra->EditActive()) w->grdSpectra->setEditActive(false);
        db::Recordset& rs = w->Data1.recordset();
        if (!(rs.Fields("Code").value() == code)) {
            for (int i = 1; i <= rs.RecordCount(); ++i)
                if (rs.peek(i, 0) == code) {
                    rs.setAbsolutePosition(i);
                    break;
                }
        }
        rs.Fields(7) = db::Value(formula.toStdString());
        rs.Update();
        // A box still holding the old text must not write it back.
        if (w->txtFormula) w->txtFormula->setText(formula);
        w->grdSpectra->Refresh();
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return;
    }
    gNoRecalc = false;
    gActiveSheet = w;
    if (w->view() == WorksheetWindow::Spreadsheet) {
        // Leaving the formula box recalculates. While the main window is not
        // active again after the dialog, the focus move sends the box no
        // focus event: its lost-focus handling then runs from here.
        bool left = false;
        const auto watch = QObject::connect(w->txtFormula, &platform::gui::TextBox::LostFocus,
                                            [&left] { left = true; });
        w->txtDescription->setFocus();
        QObject::disconnect(watch);
        if (!left) w->txtFormula_LostFocus();
    } else {
        RecalcSheet();
        FillChart(w->bandCount(), w->mFirstBand);
        FillLevBoxes(w->bandCount());
    }
}
