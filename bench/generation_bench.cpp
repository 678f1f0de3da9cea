// Generation as the button and the build run it: loading a font source file in full and
// writing the include file, in-process and as a whole sorvane-cli process.
//   generate/jiskan24_all    all 8836 characters with jiskan24
//   generate/jiskan16_300    300 characters with jiskan16
//   cli_generate/jiskan16_300  `sorvane-cli generate` for 300 characters, start to exit
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "app/commands.h"
#include "core/kanji_grid.h"
#include "core/list_text.h"
#include "fontgen/include_writer.h"
#include "state/app_state.h"
#include "state/settings_file.h"

extern char** environ;

namespace {

using namespace sorvane;

// A folder with font source files of random glyphs that fit their fonts.
const std::filesystem::path& bench_folder() {
    static const std::filesystem::path folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "sorvane-bench-generation";
        std::filesystem::create_directories(path);
        std::mt19937 random(1);
        for (const auto& [suffix, rows] : {std::pair{"J16", 16}, std::pair{"J24", 24}}) {
            std::FILE* f = std::fopen((path / (std::string("Sorvane.") + suffix)).c_str(), "wb");
            for (int cell = 0; cell < grid_cells; ++cell) {
                for (int r = 0; r < rows; ++r) std::fprintf(f, r ? ",%u" : "%u", static_cast<unsigned>(random() & ((1u << rows) - 1)));
                std::fputs("\r\n", f);
            }
            std::fclose(f);
        }
        return path;
    }();
    return folder;
}

// The list text of the first n characters, every third cell.
// The benchmarks' one state, as a program's entry makes it.
AppState& bench_state() {
    static AppState state;
    return state;
}

std::string list_of(int n) {
    KanjiGrid set{};
    for (int i = 0; i < n; ++i) set[static_cast<std::size_t>(i * grid_cells / n)] = 1;
    std::string text(longest_list_text, '\0');
    text.resize(render_list(set, text.data()));
    return text;
}

void generate(benchmark::State& state, int kind, int characters) {
    AppState& app_state = bench_state();
    std::filesystem::current_path(bench_folder());
    load_settings(app_state);
    app_state.font.stored = kind;
    const std::string list = list_of(characters);
    const std::string out = (bench_folder() / "Font.inc").string();
    for (auto _ : state) {
        app_state.lists.registered.store(list);
        const Generation g = sorvane::generate(app_state, out.c_str(), local_time_now());
        if (!g.outcome.ok() || !g.font.ok()) state.SkipWithError("generation failed");
    }
}

void cli_generate(benchmark::State& state, int characters) {
    const auto folder = bench_folder() / "cli";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(bench_folder() / "Sorvane.J16", folder / "Sorvane.J16",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::current_path(folder);
    std::filesystem::remove(folder / "Sorvane.ini");
    AppState& app_state = bench_state();
    load_settings(app_state);
    app_state.font.stored = 1;
    app_state.lists.registered.store(list_of(characters));
    sort_registered(app_state);
    save_settings(app_state, nullptr);
    const std::string directory = folder.string();
    const char* argv[] = {SORVANE_CLI, "-C", directory.c_str(), "generate", "Font.inc", nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid, SORVANE_CLI, &quiet, nullptr, const_cast<char**>(argv), environ) != 0)
            state.SkipWithError("sorvane-cli cannot be started");
        int status = 0;
        waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&quiet);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("sorvane-cli generate failed");
    }
}

BENCHMARK_CAPTURE(generate, jiskan24_all, 2, grid_cells)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(generate, jiskan16_300, 1, 300)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cli_generate, jiskan16_300, 300)->Unit(benchmark::kMillisecond);

}  // namespace
