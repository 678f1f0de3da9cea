// What the program writes never loses what was there: links stay links, a killed or failed
// write leaves the old file whole, and runs in one folder at the same time never write into
// each other's files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/session.h"
#include "core/files.h"
#include "tests/test_support.h"

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;

class Saving : public ::testing::Test {
protected:
    Result cli(const std::vector<std::string>& args, const std::string& env = "") { return run_cli(dir, args, env); }

    // A registered list of n characters, from a scan of them.
    void register_characters(int n) {
        std::string text;
        for (int i = 0; i < n; ++i) text += character(i * 7);
        write_file(dir.file("text.txt"), text);
        ASSERT_EQ(cli({"scan", "text.txt"}).status, 0);
        ASSERT_EQ(cli({"add"}).status, 0);
    }

    std::string registered_line() {
        const std::string shown = cli({"show"}).out;
        return shown.substr(shown.find("registered list:"), shown.find('\n', shown.find("registered list:")) -
                                                                shown.find("registered list:"));
    }

    TempDir dir;
};

TEST_F(Saving, ALinkedSettingsFileStaysALinkAndKeepsItsMode) {
    write_file(dir.file("real.ini"), "");
    fs::permissions(dir.file("real.ini"), fs::perms(0640));
    fs::create_symlink("real.ini", dir.file("Sorvane.ini"));
    ASSERT_EQ(cli({"font", "jiskan24"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(dir.file("Sorvane.ini")));
    EXPECT_EQ(fs::status(dir.file("real.ini")).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_NE(cli({"show"}).out.find("font: jiskan24"), std::string::npos) << "the target took the settings";

    fs::create_symlink("later.ini", dir.file("dangling.ini"));
    fs::remove(dir.file("Sorvane.ini"));
    fs::create_symlink("dangling.ini", dir.file("Sorvane.ini"));
    ASSERT_EQ(cli({"font", "k14"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(dir.file("Sorvane.ini")));
    EXPECT_NE(read_file(dir.file("later.ini")).find("\r\n"), std::string::npos) << "the end of the links was written";
}

TEST_F(Saving, ALinkedOutputStaysALink) {
    ASSERT_EQ(cli({"generate", "real.inc"}).status, 1) << "no font source here";
    fs::create_symlink("real.inc", dir.file("Font.inc"));
    cli({"generate", "Font.inc"});
    EXPECT_TRUE(fs::is_symlink(dir.file("Font.inc")));
    EXPECT_NE(read_file(dir.file("real.inc")).find("FONT_KANJI_NUM"), std::string::npos);
}

TEST_F(Saving, AGenerationKilledHalfWayLeavesTheOldFile) {
    register_characters(900);
    cli({"generate", "Font.inc"});
    const std::string good = read_file(dir.file("Font.inc"));
    ASSERT_NE(good.find("FONT_KANJI_NUM\t\t900"), std::string::npos);
    // A file size limit of 4 KB kills the program with SIGXFSZ in the middle of the tables.
    const std::string command = "cd " + quoted(dir.path.string()) + " && ulimit -f 8 && " + SORVANE_CLI +
                                " font jiskan24 >/dev/null 2>&1; " + SORVANE_CLI + " generate Font.inc >/dev/null 2>&1";
    std::system(("sh -c " + quoted(command)).c_str());
    EXPECT_EQ(read_file(dir.file("Font.inc")), good);
}

// Each output is on the disk before its name points at it, and its folder after: in a trace of
// a generation, the include file, the image and the settings file each have their new file
// synced, then the rename, then the folder synced; the include file is synced before the
// image is put in place.
TEST_F(Saving, EveryOutputReachesTheDiskBeforeItsRename) {
    register_characters(3);
    const std::string folder = fs::canonical(dir.path).string();
    std::system(("sh -c " + quoted("cd " + quoted(folder) + " && strace -qq -y -o trace -e trace=fsync,rename " + SORVANE_CLI +
                                   " generate Font.inc --image font.bin >/dev/null 2>&1")).c_str());
    const std::string trace = read_file(dir.file("trace"));
    for (const std::string output : {"Font.inc", "font.bin", "Sorvane.ini"}) {
        // "fsync(N<FOLDER/OUTPUT.PID-K.new>) = 0", later "rename(..., "...OUTPUT") = 0" and
        // right after it "fsync(N<FOLDER>) = 0".
        const std::size_t synced = trace.find("<" + folder + "/" + output + ".");
        const std::size_t renamed = trace.find(output + "\") = 0\n", synced == std::string::npos ? 0 : synced);
        const std::size_t next = trace.find('\n', renamed) + 1;
        EXPECT_TRUE(synced != std::string::npos && trace.rfind("fsync(", synced) == trace.rfind('\n', synced) + 1 &&
                    renamed != std::string::npos && trace.compare(next, 6, "fsync(") == 0 &&
                    trace.substr(trace.find('<', next), folder.size() + 3) == "<" + folder + ">)")
            << output << "\n" << trace;
    }
    // Both outputs of the generation reach the disk before either is put in place: a failure
    // of the include file's sync must not leave a new image beside the old include file.
    EXPECT_LT(trace.find("Font.inc."), trace.find("rename(")) << trace;
}

// Many runs at once are the load test's; here the lock itself, and what a run does that
// cannot get it.
TEST_F(Saving, TheLockHoldsWhateverReplacesTheSettingsFile) {
    const auto state = std::make_unique<AppState>();
    const auto through_link = std::make_unique<AppState>();
    const std::string ini = dir.file("Sorvane.ini");
    std::snprintf(state->ini_path.data(), state->ini_path.size(), "%s", ini.c_str());
    FileLock first;
    ASSERT_EQ(lock_settings(*state, first, 0), FileLock::Result::locked) << "the lock file is made when missing";
    EXPECT_TRUE(fs::is_regular_file(ini + ".lock"));
    // An editor, git or rsync puts a new Sorvane.ini in place while a run holds the lock.
    write_file(dir.file("new.ini"), "20\n");
    fs::rename(dir.file("new.ini"), ini);
    FileLock second;
    EXPECT_EQ(lock_settings(*state, second, 30), FileLock::Result::busy);
    std::filesystem::create_directory_symlink(dir.path, dir.file("link"));
    std::snprintf(through_link->ini_path.data(), through_link->ini_path.size(), "%s", dir.file("link/Sorvane.ini").c_str());
    EXPECT_EQ(lock_settings(*through_link, second, 30), FileLock::Result::busy) << "a link to the folder meets the lock";
    first.release();
    EXPECT_EQ(lock_settings(*state, second, 0), FileLock::Result::locked);
}

// A run that cannot get the lock changes nothing and says why, in the folder's language; the
// window, through the same session functions, says so at its start and close and saves
// nothing. Root opens any file, so the runs are another user's.
TEST_F(Saving, ARunThatCannotGetTheLockChangesNothing) {
    register_characters(5);
    const std::string ini = dir.file("Sorvane.ini"), lock = ini + ".lock";
    fs::permissions(dir.path, fs::perms::all);
    const auto window = [&](LoadOutcome expected, int language) {  // in a child: 0 when start and close said it
        const int error = expected == LoadOutcome::lock_refused ? EACCES : 0;
        const pid_t child = fork();
        if (child == 0) {
            if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(9);
            fs::current_path(dir.path);
            const auto state = std::make_unique<AppState>();
            const StartReading start = load_at_start(*state);
            const WindowRect moved{11, 22, 333, 444};
            const LockTrouble close = save_at_close(*state, &moved, [] {});
            _exit(start.may_save && start.lock.outcome == expected && start.lock.error == error && state->language() == language &&
                          close.outcome == expected && close.error == error ? 0 : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    FileLock held;
    const struct {
        const char* language;
        std::function<void()> obstacle;
        LoadOutcome outcome;
        std::string says;
    } cases[] = {
        {"en", [&] { held.acquire(lock.c_str(), 0); }, LoadOutcome::busy,
         "The folder is in use by another run; nothing is changed. (" + lock + ": another run kept it locked for 5 seconds)"},
        {"en", [&] { write_file(lock, ""), fs::permissions(lock, fs::perms::none); }, LoadOutcome::lock_refused,
         "Can't use the folder's lock file; nothing is changed. (" + lock + ": Permission denied)"},
        {"en", [&] { fs::create_symlink("elsewhere", lock); }, LoadOutcome::lock_is_link,
         "Can't use the folder's lock file; nothing is changed. (" + lock + ": a symbolic link, not a file)"},
        {"ja", [&] { fs::create_directory(lock); }, LoadOutcome::lock_not_a_file,
         "フォルダのロック・ファイルが使えません。何も変えていません (" + lock + ": フォルダ、デバイスまたは FIFO で、ファイルではありません)"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(cli({"language", c.language}).status, 0);
        fs::permissions(ini, fs::perms(0666));
        const std::string before = read_file(ini);
        fs::remove(lock);
        c.obstacle();
        const Result refused = cli({"clear"}, getuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups" : "");
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, "sorvane-cli: " + c.says + "\n");
        EXPECT_EQ(c.outcome == LoadOutcome::busy ? 0 : window(c.outcome, c.language[0] == 'e'), 0) << c.says;
        EXPECT_EQ(read_file(ini), before);
        held.release();
        fs::remove(lock);
    }
    EXPECT_EQ(window(LoadOutcome::loaded, 0), 0) << "with the lock, the window saves";
    EXPECT_EQ(read_file(ini).rfind("20\r\n0\r\n11\r\n22\r\n333\r\n444\r\n", 0), 0u);
}

TEST_F(Saving, ASettingsFileThatIsNoFileIsRefusedNotWaitedOn) {
    ASSERT_EQ(mkfifo(dir.file("Sorvane.ini").c_str(), 0600), 0);
    for (const char* command : {"show", "sort"}) {
        const Result r = cli({command});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.err.find("ファイルではありません"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace sorvane::testing
