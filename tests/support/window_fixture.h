#pragma once
// The real main window, offscreen, with the program's windows opened on
// files of the test's own, as the menus open them. Each test starts from the
// flags, clipboard and caption of a fresh start, its messages answered by a
// script, and leaves no window, file or unused answer behind.
#include "platform/db/database.h"
#include "tests/support/datasheet_fixture.h"
#include "tests/support/dialog_script.h"
#include "tests/support/worksheet_fixture.h"

#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

class Bandwright;
class DatasheetWindow;
class QLineEdit;
class QMdiSubWindow;
class QWidget;
class WorksheetWindow;

namespace platform {
class DataGrid;
}

namespace testing_support {

class WindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A worksheet window on a sheet, opened as the Worksheets menu opens one.
    static WorksheetWindow* openWorksheet(const std::string& path, const std::string& sheet,
                                          int bandKind, int view, int firstBand);
    // A datasheet window, opened as the Datasheets menu opens one; nullptr
    // when none opened.
    static DatasheetWindow* openDatasheet(const std::string& path, const std::string& name,
                                          int bandKind, int firstBand, int kind);
    // Chooses a menu item as a user does; it must be enabled.
    static void click(const char* item);
    // Makes a child window the active one, as a click on it does.
    void activate(QWidget* w);
    QWidget* activeChild() const;
    static QMdiSubWindow* frame(QWidget* w);
    // A path in the test's folder.
    std::string pathOf(const std::string& name) const;

    // The program's open worksheet file, or its datasheets file.
    void useFile(const WorksheetFile& file);
    void useFile(const DatasheetsFile& file);
    // Closes what the test's files hold open, before the folder goes.
    virtual void releaseFiles() {}

    std::filesystem::path dir_;
    Bandwright* main_ = nullptr;
    std::unique_ptr<DialogScript> script_;
};

// The window fixture over one worksheet or datasheets file, made in the
// test's folder and used by the program as its own.
template <class File> class WindowFixtureOn : public WindowFixture {
protected:
    explicit WindowFixtureOn(std::string fileName) : fileName_(std::move(fileName)) {}

    void SetUp() override {
        WindowFixture::SetUp();
        path_ = pathOf(fileName_);
        file_ = std::make_unique<File>(path_);
        useFile(*file_);
    }
    void releaseFiles() override { file_.reset(); }

    // One field of the record with this Code.
    db::Value field(const std::string& table, int code, const std::string& name) const {
        return file_->database()->scalar("SELECT " + db::quoteIdent(name) + " FROM " +
                                             db::quoteIdent(table) + " WHERE Code = ?",
                                         {code});
    }

    std::string path_;
    std::unique_ptr<File> file_;

private:
    std::string fileName_;
};

// What a grid cell shows.
QString cellText(platform::DataGrid* grid, int row, int col);
// Types into a box and leaves it with Tab, as a user does; "" empties it.
void type(QLineEdit* box, const QString& text);
// Types into a grid cell as a user does and leaves it with Tab (or stays).
void typeIntoCell(platform::DataGrid* grid, int row, int col, const QString& text,
                  bool leave = true);

} // namespace testing_support
