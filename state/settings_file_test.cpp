#include "state/settings_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::bytes;
using testing::read_file;
using testing::write_file;

// Runs each test in a fresh folder, as the current directory.
class SettingsFile : public testing::FolderTest {
protected:
    std::string ini() const { return dir.file("Sorvane.ini"); }

    // A settings file of the given lines, each ended with CR LF.
    void write_ini(std::initializer_list<std::string> lines) {
        std::string content;
        for (const std::string& l : lines) content += l + "\r\n";
        write_file(ini(), content);
    }
};

std::vector<std::string> numbered(int first, int count) {
    std::vector<std::string> v;
    for (int i = 0; i < count; ++i) v.push_back(std::to_string(first + i));
    return v;
}

TEST_F(SettingsFile, FirstRunStartsEmptyAndNamesTheFileInTheCurrentDirectory) {
    app_state.counters.registered = 5;
    app_state.lists.registered.store("x");
    load_settings(app_state);
    const std::string expected = ini();
    EXPECT_STREQ(app_state.ini_path.data(), expected.c_str());
    EXPECT_EQ(app_state.paths.font.view(), expected);
    EXPECT_EQ(app_state.paths.ini_length, static_cast<std::int32_t>(expected.size()));
    EXPECT_EQ(app_state.counters.registered, 0);
    EXPECT_EQ(app_state.lists.registered.view(), "");
    EXPECT_FALSE(std::filesystem::exists(ini())) << "loading never creates the file";
}

TEST_F(SettingsFile, SavedFileHas32CrLfLinesAndComesBack) {
    load_settings(app_state);
    for (int i = 0; i < setting_count; ++i) number_slot(app_state, i) = i * 1000 - 7000;
    app_state.language_value = 1;
    for (int i = 0; i < text_slot_count; ++i) text_slot(app_state, i).store("text " + std::to_string(i));
    app_state.lists.registered.store(testing::character(0) + "\r\n" + testing::character(1));
    ASSERT_EQ(save_settings(app_state, nullptr), SaveOutcome::saved);

    const std::string saved = read_file(ini());
    EXPECT_EQ(saved.substr(0, 4), "20\r\n");
    std::size_t lines = 0;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i] == '\n') {
            ++lines;
            EXPECT_EQ(saved[i - 1], '\r');
        }
    }
    EXPECT_EQ(lines, 32u);
    EXPECT_NE(saved.find(testing::character(0) + "\r\x07" + testing::character(1) + "\r\n"), std::string::npos)
        << "a line break inside a text is stored as CR BEL";

    // Every line has a field of its own: what one line set comes back in that line alone.
    load_settings(app_state);
    for (int i = 0; i < setting_count; ++i) {
        if (i == 19) continue;  // the length of the settings file's path, formed at the load
        EXPECT_EQ(number_slot(app_state, i), i == 0 ? 1 : i * 1000 - 7000) << "slot " << i;
    }
    for (int i = 0; i < text_slot_count; ++i) {
        if (i == 5) continue;  // the font source's path, formed at the load
        EXPECT_EQ(text_slot(app_state, i).view(), i == 4 ? testing::character(0) + "\r\n" + testing::character(1)
                                                         : "text " + std::to_string(i)) << i;
    }
    EXPECT_EQ(app_state.paths.font.view(), ini()) << "the stored font path has no effect";
    EXPECT_EQ(app_state.paths.ini_length, static_cast<std::int32_t>(ini().size()));
}

TEST_F(SettingsFile, SettingsCountDecidesWhereTheTextsBegin) {
    std::vector<std::string> lines{"5"};
    for (auto& v : numbered(1, 5)) lines.push_back(v);
    lines.insert(lines.end(), {"2", "first", "second"});
    std::string content;
    for (auto& l : lines) content += l + "\n";
    write_file(ini(), content);
    load_settings(app_state);
    EXPECT_EQ(app_state.window.bottom, 5);
    EXPECT_EQ(number_slot(app_state, 5), 0);
    EXPECT_EQ(text_slot(app_state, 0).view(), "first");
    EXPECT_EQ(text_slot(app_state, 1).view(), "second");

    content = "25\n";
    for (auto& v : numbered(100, 25)) content += v + "\n";
    content += "1\nonly\n";
    write_file(ini(), content);
    load_settings(app_state);
    EXPECT_EQ(app_state.counters.detected, 117);
    EXPECT_EQ(app_state.font.stored, 118);
    EXPECT_EQ(text_slot(app_state, 0).view(), "only");
}

TEST_F(SettingsFile, TextCountsOutOfRange) {
    for (const char* count : {"0", "-5", "", "x"}) {
        write_ini({"1", "1", count, "never"});
        load_settings(app_state);
        EXPECT_EQ(text_slot(app_state, 0).view(), "") << count;
    }
    std::string content = "0\n12\n";
    for (int i = 0; i < 12; ++i) content += "t" + std::to_string(i) + "\n";
    write_file(ini(), content);
    load_settings(app_state);
    EXPECT_EQ(text_slot(app_state, 9).view(), "t9");
}

TEST_F(SettingsFile, FileEndingEarlyKeepsWhatWasRead) {
    write_ini({"20", "1", "2", "3"});
    load_settings(app_state);
    EXPECT_EQ(app_state.window.top, 3);
    EXPECT_EQ(app_state.window.right, 0);

    write_file(ini(), "3\n7\n8\n9\n");  // no text count line
    load_settings(app_state);
    EXPECT_EQ(app_state.window.top, 9);
    EXPECT_EQ(text_slot(app_state, 0).view(), "");
}

TEST_F(SettingsFile, NumbersAsTheLoaderReadsThem) {
    write_ini({"4", "  -17abc", "junk", "2147483648", "-99999999999"});
    load_settings(app_state);
    EXPECT_EQ(app_state.language_value, 0) << "-17 is no language; it starts in Japanese";
    EXPECT_EQ(app_state.window.left, 0) << "no digits give 0";
    EXPECT_EQ(app_state.window.top, INT32_MAX);
    EXPECT_EQ(app_state.window.right, INT32_MIN);
    write_ini({"2", "0", "-17abc"});
    load_settings(app_state);
    EXPECT_EQ(app_state.window.left, -17);
}

TEST_F(SettingsFile, LanguageOutOfRangeStartsInJapanese) {
    for (const char* stored : {"7", "-3", "2"}) {
        write_ini({"1", stored});
        load_settings(app_state);
        EXPECT_EQ(app_state.language_value, 0) << stored;
    }
    write_ini({"1", "1"});
    load_settings(app_state);
    EXPECT_EQ(app_state.language_value, 1);
}

TEST_F(SettingsFile, LastLineWithoutLineEndKeepsAllItsBytes) {
    write_file(ini(), "0\r\n2\r\nfirst\r\nabc");
    load_settings(app_state);
    EXPECT_EQ(text_slot(app_state, 0).view(), "first");
    EXPECT_EQ(text_slot(app_state, 1).view(), "abc");
}

TEST_F(SettingsFile, BelComesBackAsLineFeedAndLoneCrStays) {
    write_file(ini(), "0\r\n1\r\na\x07" "b\rc\r\n");
    load_settings(app_state);
    EXPECT_EQ(text_slot(app_state, 0).view(), "a\nb\rc");
}

TEST_F(SettingsFile, OverlongTextKeepsTheFollowingTextsInPlace) {
    const std::string huge(40000, 'h');
    write_file(ini(), "0\n3\n" + huge + "\nsecond\nthird\n");
    load_settings(app_state);
    EXPECT_EQ(text_slot(app_state, 0).view(), huge.substr(0, 31999));
    EXPECT_EQ(text_slot(app_state, 1).view(), "second");
    EXPECT_EQ(text_slot(app_state, 2).view(), "third");
}

TEST_F(SettingsFile, ByteThatWouldEndTheFileIsNotSaved) {
    load_settings(app_state);
    app_state.lists.detected.store(bytes({'a', 0x1A, 'b'}));
    app_state.lists.registered.store("kept");
    ASSERT_EQ(save_settings(app_state, nullptr), SaveOutcome::saved);
    load_settings(app_state);
    EXPECT_EQ(app_state.lists.detected.view(), "ab");
    EXPECT_EQ(app_state.lists.registered.view(), "kept");
}

constexpr WindowRect rect{10, 20, 300, 400};

TEST_F(SettingsFile, SaveStoresTheRectangle) {
    load_settings(app_state);
    app_state.window.left = 1;
    ASSERT_EQ(save_settings(app_state, nullptr), SaveOutcome::saved);
    load_settings(app_state);
    EXPECT_EQ(app_state.window.left, 1) << "no rectangle: the loaded values stay";
    ASSERT_EQ(save_settings(app_state, &rect), SaveOutcome::saved);
    load_settings(app_state);
    EXPECT_EQ(app_state.window.left, 10);
    EXPECT_EQ(app_state.window.bottom, 400);
}

TEST_F(SettingsFile, SavesUnderThePathFormedAtTheLoad) {
    load_settings(app_state);
    std::filesystem::create_directory(dir.path / "elsewhere");
    std::filesystem::current_path(dir.path / "elsewhere");
    ASSERT_EQ(save_settings(app_state, nullptr), SaveOutcome::saved);
    EXPECT_TRUE(std::filesystem::exists(ini()));
    EXPECT_FALSE(std::filesystem::exists(dir.path / "elsewhere" / "Sorvane.ini"));
}

TEST_F(SettingsFile, UnwritableFolderSavesNothingAndChangesNothing) {
    std::filesystem::current_path("/proc");  // not even root may create files here
    EXPECT_EQ(load_settings(app_state).error, ENOENT) << "why, as a value";
    const SaveResult save = save_settings(app_state, &rect);
    EXPECT_EQ(save.outcome, SaveOutcome::not_opened);
    EXPECT_NE(save.error, 0);
    EXPECT_EQ(app_state.window.left, 0);
}

TEST_F(SettingsFile, PathTooLongForTheBufferMeansNoFile) {
    std::filesystem::path deep = dir.path;
    while (deep.string().size() < 1100) deep /= std::string(100, 'd');
    std::filesystem::create_directories(deep);
    std::filesystem::current_path(deep);
    load_settings(app_state);
    EXPECT_STREQ(app_state.ini_path.data(), "");
    EXPECT_EQ(app_state.paths.font.view(), "");
    EXPECT_EQ(app_state.paths.ini_length, 0);
    EXPECT_EQ(save_settings(app_state, nullptr), SaveOutcome::no_path);
}

TEST_F(SettingsFile, WriteFailingHalfWayKeepsTheOldFileWhole) {
    load_settings(app_state);
    app_state.lists.registered.store("old list");
    ASSERT_EQ(save_settings(app_state, nullptr), SaveOutcome::saved);
    const std::string old_file = read_file(ini());

    for (int slot = 0; slot < text_slot_count; ++slot) text_slot(app_state, slot).store(std::string(30000, 'n'));
    rlimit saved_limit{};
    getrlimit(RLIMIT_FSIZE, &saved_limit);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved_limit;
    small.rlim_cur = 100000;  // the disk "fills up" a third of the way through
    setrlimit(RLIMIT_FSIZE, &small);
    const SaveResult outcome = save_settings(app_state, nullptr);
    setrlimit(RLIMIT_FSIZE, &saved_limit);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_EQ(outcome.outcome, SaveOutcome::write_failed);
    EXPECT_EQ(outcome.error, EFBIG);
    EXPECT_EQ(read_file(ini()), old_file);
    EXPECT_EQ(testing::leftovers(dir), "");
}

}  // namespace
}  // namespace sorvane
