#pragma once
// A private folder for one test's database files, removed at the end.
#include "platform/db/schema.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

class DbFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("db-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};

inline db::FieldDef field(const std::string& name, db::FieldType type,
                          int size = db::kDefaultTextSize, db::Value defaultValue = {},
                          bool allowZeroLength = false) {
    db::FieldDef f;
    f.name = name;
    f.type = type;
    f.size = size;
    f.defaultValue = std::move(defaultValue);
    f.allowZeroLength = allowZeroLength;
    return f;
}
