#include "output/output_window.h"

#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/flag_guard.h"
#include "platform/gui/named.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/sheet_window.h"
#include "tables/globals.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

OutputWindow::OutputWindow(platform::gui::FormKind kind, QWidget* parent)
    : QWidget(parent), kind_(kind) {
    lstSpectra = platform::gui::makeNamed<QListWidget>(this, "lstSpectra");
    lstSpectra->setUniformItemSizes(true); // a sheet of thousands of spectra lists at once
    txtFirstBand = platform::gui::makeNamed<QLineEdit>(this, "txtFirstBand");
    txtFirstBand->hide();
    txtSheetType = platform::gui::makeNamed<QLineEdit>(this, "txtSheetType");
    txtSheetType->hide();
}

OutputWindow::~OutputWindow() = default;

QString OutputWindow::sheetName() const {
    const QString c = caption();
    const qsizetype p = c.indexOf(':');
    return p < 0 ? QString() : c.mid(p + 2);
}

int OutputWindow::firstBand() const {
    bool ok = false;
    const int f = txtFirstBand->text().trimmed().toInt(&ok);
    return ok ? f : 0;
}

std::string OutputWindow::recordSource() const {
    const std::string t = db::quoteIdent(sheet_.toStdString());
    std::string sql = "SELECT ifnull(" + db::quoteIdent("Code") + ", '') || ': ' || ifnull(" +
                      db::quoteIdent("Description") + ", '') AS " + db::quoteIdent("Name") + ", " +
                      t + ".* FROM " + t;
    if (selectType_) sql += " WHERE " + db::quoteIdent("Select Type") + " = ?";
    // Ordered for a datasheet's "<All>" too, so the list keeps its order.
    return sql + " ORDER BY " + db::quoteIdent("Code");
}

void OutputWindow::bindSheet(const QString& file, const QString& sheet, bool isWorksheet,
                             const std::optional<QString>& selectType) {
    databaseName_ = file;
    sheet_ = sheet;
    isWorksheet_ = isWorksheet;
    selectType_ = selectType;
    Data1.setConnectionString(gConnect + "Data Source=" + file.toStdString());
    std::vector<db::Value> params;
    if (selectType_) params.emplace_back(selectType_->toStdString());
    Data1.setRecordSource(recordSource(), std::move(params));
    platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
    Data1.Refresh();
}

bool OutputWindow::linkSheetWindow(SheetWindow* sheet) {
    if (!sheet) return false;
    if (sheetWindow_ == sheet) return true;
    if (sheetWindow_) return false;
    if (sheet->txtDBName->text() != databaseName_ || sheet->sheetName() != sheet_ ||
        (sheet->sheetKind() == db::SheetKind::Worksheet) != isWorksheet_)
        return false;
    sheetWindow_ = sheet;
    disconnect(sheetRenamed_);
    sheetRenamed_ =
        connect(sheet, &QWidget::windowTitleChanged, this, &OutputWindow::sheetCaptionChanged);
    return true;
}

void OutputWindow::sheetCaptionChanged() {
    if (!sheetWindow_) return;
    const QString name = sheetWindow_->sheetName();
    if (name == sheet_ || name.isEmpty()) return;
    sheet_ = name;
    const QString prefix = kind_ == platform::gui::FormKind::Graph ? "Graph: " : "Print: ";
    setWindowTitle(prefix + name);
    std::vector<db::Value> params;
    if (selectType_) params.emplace_back(selectType_->toStdString());
    // Read under the new name at the next activation.
    Data1.setRecordSource(recordSource(), std::move(params));
}

void OutputWindow::readBoundRecords() {
    records_ = readRecords(Data1.recordset(), bandCount());
}

std::optional<std::vector<int>> OutputWindow::rereadSheet() {
    try {
        platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
        Data1.Refresh();
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
        return std::nullopt;
    }
    std::vector<OutputRecord> fresh = readRecords(Data1.recordset(), bandCount());
    std::vector<int> match = matchRecords(records_, fresh);
    records_ = std::move(fresh);
    return match;
}

void OutputWindow::fillList(const std::vector<bool>& ticked) {
    fillingList_ = true;
    lstSpectra->setUpdatesEnabled(false);
    lstSpectra->clear();
    for (size_t i = 0; i < records_.size(); ++i) {
        auto* item = new QListWidgetItem(records_[i].name);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(i < ticked.size() && ticked[i] ? Qt::Checked : Qt::Unchecked);
        lstSpectra->addItem(item);
    }
    lstSpectra->setUpdatesEnabled(true);
    fillingList_ = false;
}

void OutputWindow::activated(int activeKind) {
    gActiveKind = activeKind;
    SetMenus(kMenuOutput);
}

void OutputWindow::Form_Unload() {
    // Only the window the user worked in decides the menus; another active
    // window keeps its own.
    QMdiArea* mdi = mdiArea();
    QMdiSubWindow* active = mdi ? mdi->activeSubWindow() : nullptr;
    if (active && active->widget() != this) return;
    SetMenus(noSheetMode());
}

void OutputWindow::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    event->accept();
}
