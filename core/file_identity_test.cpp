#include <gtest/gtest.h>

#include <filesystem>

#include "core/files.h"
#include "tests/font_test_support.h"

namespace sorvane {
namespace {

// Two names of one place are one, whether a file is there yet or not; two places are two.
TEST(SamePlace, KnowsTheFolderAndTheNameNotTheText) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir.file("st"));
    std::filesystem::create_directory_symlink(dir.file("st"), dir.file("link"));
    testing::write_file(dir.file("st/there.inc"), "x");
    std::filesystem::create_symlink("there.inc", dir.file("st/to-there.inc"));
    std::filesystem::create_symlink("later.inc", dir.file("st/to-later.inc"));  // to a file not there yet
    for (const auto& [a, b, same] : {std::tuple{"st/there.inc", "link/there.inc", true}, {"st/there.inc", "st/to-there.inc", true},
                                     {"st/later.inc", "link/../st/./later.inc", true}, {"st/later.inc", "st/to-later.inc", true},
                                     {"st/later.inc", "st/Later.inc", false}, {"st/later.inc", "later.inc", false},
                                     {"st/there.inc", "st/later.inc", false}}) {
        EXPECT_EQ(same_place(dir.file(a).c_str(), dir.file(b).c_str()), same) << a << " " << b;
        EXPECT_EQ(same_place(dir.file(b).c_str(), dir.file(a).c_str()), same) << b << " " << a;
    }
}

}  // namespace
}  // namespace sorvane
