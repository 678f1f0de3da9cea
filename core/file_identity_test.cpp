#include <gtest/gtest.h>

#include <filesystem>

#include "core/files.h"
#include "tests/font_test_support.h"

namespace sorvane {
namespace {

// Two names of one place are one, whether a file is there yet or not; two places are two.
TEST(SamePlace, KnowsTheFolderAndTheNameNotTheText) {
    testing::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir.file("st"));
    fs::create_directory_symlink(dir.file("st"), dir.file("link"));
    testing::write_file(dir.file("st/there.inc"), "x");
    fs::create_symlink("there.inc", dir.file("st/to-there.inc"));
    fs::create_symlink("later.inc", dir.file("st/to-later.inc"));  // to a file not there yet
    const struct {
        const char* a;
        const char* b;
        bool same;
    } rows[] = {
        {"st/there.inc", "link/there.inc", true},  // a file, through a link to its folder
        {"st/there.inc", "st/to-there.inc", true},  // and a link to it
        {"st/later.inc", "link/later.inc", true},  // not there yet
        {"st/later.inc", "link/../st/./later.inc", true},
        {"st/later.inc", "st/to-later.inc", true},
        {"st/later.inc", "st/Later.inc", false},
        {"st/later.inc", "later.inc", false},
        {"st/there.inc", "st/later.inc", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(same_place(dir.file(row.a).c_str(), dir.file(row.b).c_str()), row.same) << row.a << " " << row.b;
        EXPECT_EQ(same_place(dir.file(row.b).c_str(), dir.file(row.a).c_str()), row.same) << row.b << " " << row.a;
    }
}

}  // namespace
}  // namespace sorvane
