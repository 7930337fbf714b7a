#include "tests/support/window_fixture.h"

#include "engine/globals.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "sheets/datasheet_window.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/open_datasheet.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"
#include "workspace/globals.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTest>

namespace testing_support {

void WindowFixture::SetUpTestSuite() {
    FillTables();
}

void WindowFixture::SetUp() {
    dir_ = std::filesystem::temp_directory_path() / "windows";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    main_ = &mainWindow();
    platform::gui::setCaption(main_, "Bandwright");
    main_->show();
    QApplication::setActiveWindow(main_);
    gFilePath.clear();
    gNoRecalc = false;
    gBusy = false;
    gSelExtending = false;
    gBackupCaption.clear();
    platform::clearClipboard();
    script_ = std::make_unique<DialogScript>();
}

void WindowFixture::TearDown() {
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    script_.reset();
    platform::gui::setCaption(main_, "Bandwright");
    gActiveSheet = nullptr;
    releaseFiles();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

WorksheetWindow* WindowFixture::openWorksheet(const std::string& path, const std::string& sheet,
                                              int bandKind, int view, int firstBand) {
    WorksheetWindow* w = newWorksheetWindow(bandKind, view);
    gActiveSheet = w;
    EXPECT_FALSE(OpenSheetForm(w, QString::fromStdString(path), QString::fromStdString(sheet),
                               bandKind, firstBand, view, true));
    QApplication::processEvents();
    return w;
}

DatasheetWindow* WindowFixture::openDatasheet(const std::string& path, const std::string& name,
                                              int bandKind, int firstBand, int kind) {
    EXPECT_FALSE(OpenDS2(QString::fromStdString(path), QString::fromStdString(name), bandKind,
                         firstBand, kind, false));
    QApplication::processEvents();
    return dynamic_cast<DatasheetWindow*>(gActiveSheet);
}

void WindowFixture::click(const char* item) {
    QAction* a = menuItem(item);
    ASSERT_TRUE(a) << item;
    ASSERT_TRUE(a->isEnabled()) << item;
    a->trigger();
    QApplication::processEvents();
}

void WindowFixture::activate(QWidget* w) {
    main_->mdiArea->setActiveSubWindow(frame(w));
    QApplication::processEvents();
}

QWidget* WindowFixture::activeChild() const {
    QMdiSubWindow* sub = main_->mdiArea->activeSubWindow();
    return sub ? sub->widget() : nullptr;
}

QMdiSubWindow* WindowFixture::frame(QWidget* w) {
    return qobject_cast<QMdiSubWindow*>(w->parentWidget());
}

std::string WindowFixture::pathOf(const std::string& name) const {
    return (dir_ / name).string();
}

void WindowFixture::useFile(const WorksheetFile& file) {
    gFilePath = QString::fromStdString(file.path());
    platform::gui::setCaption(main_, QString::fromStdString("Bandwright: " + file.path()));
}

void WindowFixture::useFile(const DatasheetsFile& file) {
    gDatasheetPath = QString::fromStdString(file.path());
    gDatasheetOK = true;
}

QString cellText(platform::DataGrid* grid, int row, int col) {
    return grid->model()->data(grid->model()->index(row, col)).toString();
}

void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else
        QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
    QApplication::processEvents();
}

void typeIntoCell(platform::DataGrid* grid, int row, int col, const QString& text, bool leave) {
    QTableView* view = grid->view();
    QApplication::setActiveWindow(grid->window()); // back from a notice
    view->setFocus();
    const QModelIndex index = grid->model()->index(row, col);
    view->setCurrentIndex(index);
    view->edit(index);
    QApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    if (leave) QTest::keyClick(editor, Qt::Key_Tab);
    QApplication::processEvents();
}

} // namespace testing_support
