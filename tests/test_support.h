// Helpers shared by the tests of state/ and the layers above it: a clean program state, and
// sorvane-cli run as a user runs it. The helpers of the lower layers come with it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "state/app_state.h"
#include "state/settings_file.h"
#include "tests/font_test_support.h"

namespace sorvane {

// The state the tests work on. The programs make theirs at their entry and hand it down;
// here one instance serves every test, each starting it afresh.
inline AppState app_state;

}  // namespace sorvane

namespace sorvane::testing {

// Every test starts from the state of a fresh run.
class StateTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_state.clear();
        clear(app_state.registered_set);
        clear(app_state.detected_set);
    }
};

// A fresh run in a fresh folder that is the current directory, with the settings file's
// path formed in it.
class FolderTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        home = std::filesystem::current_path();
        std::filesystem::current_path(dir.path);
        load_settings(app_state);
    }
    void TearDown() override {
        std::filesystem::current_path(home);
    }
    TempDir dir;
    std::filesystem::path home;
};

}  // namespace sorvane::testing

namespace sorvane::testing {

// What a run of a program gave: exit status, stdout and stderr.
struct Result {
    int status;
    std::string out;
    std::string err;
};

#if defined(SORVANE_CLI)
// Runs sorvane-cli in a folder with the given arguments and environment settings, as a
// user would from a shell with a UTF-8 terminal.
inline Result run_cli(const TempDir& dir, const std::vector<std::string>& args, const std::string& env = "") {
    std::string command = "cd " + quoted(dir.path.string()) + " && env LC_ALL=C.UTF-8 " + env + " " + SORVANE_CLI;
    for (const std::string& a : args) command += " " + quoted(a);
    command += " >" + quoted(dir.file(".out")) + " 2>" + quoted(dir.file(".err"));
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(dir.file(".out")), read_file(dir.file(".err"))};
}

// Sets the folder's language to English, for the tests that read what sorvane-cli says.
inline void in_english(const TempDir& dir) { ASSERT_EQ(run_cli(dir, {"language", "en"}).status, 0); }
#endif

// Runs a shell command; its exit status, or -1 when it did not exit.
inline int run_shell(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Whether a program is on the PATH: a cross compiler or a simulator the tests may use.
inline bool have_program(const std::string& program) { return run_shell("command -v " + program + " >/dev/null 2>&1") == 0; }

// The temporary files (*.new) that writes left in a folder, by name; empty when none.
inline std::string leftovers(const TempDir& dir) {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        if (entry.path().extension() == ".new") names += entry.path().filename().string() + " ";
    return names;
}

}  // namespace sorvane::testing
