#pragma once
// A worksheet file in a folder of the test's own, and a bound sheet form over it.
#include "tests/support/worksheet_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

class GridFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("grid-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        form_.reset();
        file_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // An octave worksheet "W" with `count` spectra: L1 of spectrum n is n + 0.25.
    testing_support::WorksheetFile& sheet(int count) {
        file_ = std::make_unique<testing_support::WorksheetFile>((dir_ / "w.bwdb").string());
        std::vector<testing_support::SpectrumRow> rows(static_cast<size_t>(count));
        for (int n = 1; n <= count; ++n) {
            auto& r = rows[static_cast<size_t>(n - 1)];
            r.description = "D" + std::to_string(n);
            r.bands = {n + 0.25, 60.0, 55.5};
        }
        file_->addSheet("W", 1, 14, rows);
        return *file_;
    }
    testing_support::BoundWorksheet& form() {
        if (!form_) form_ = std::make_unique<testing_support::BoundWorksheet>(*file_, "W");
        return *form_;
    }
    // A value as the file holds it now.
    db::Value stored(const std::string& field, int code) {
        return file_->database()->scalar("SELECT " + db::quoteIdent(field) +
                                             " FROM \"W\" WHERE \"Code\" = ?",
                                         {db::Value(code)});
    }

    std::filesystem::path dir_;
    std::unique_ptr<testing_support::WorksheetFile> file_;
    std::unique_ptr<testing_support::BoundWorksheet> form_;
};
