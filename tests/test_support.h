// Helpers shared by the test files: a clean program state, recorders for the list boxes,
// files made from bytes, and a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/kanji_grid.h"
#include "core/list_text.h"
#include "state/app_state.h"

namespace sorvane::testing {

// What the two list boxes were last given, and how often.
struct BoxRecorder {
    std::string detected_box;
    std::string registered_box;
    int detected_sets = 0;
    int registered_sets = 0;
};

inline BoxRecorder boxes;

inline void record_detected(const char* text) {
    boxes.detected_box = text;
    ++boxes.detected_sets;
}

inline void record_registered(const char* text) {
    boxes.registered_box = text;
    ++boxes.registered_sets;
}

// Every test starts from the state of a fresh run, with the recorders as the boxes.
class StateTest : public ::testing::Test {
protected:
    void SetUp() override {
        clear_state();
        clear(registered_set);
        clear(detected_set);
        boxes = BoxRecorder{};
        list_boxes = {record_detected, record_registered};
    }
    void TearDown() override { list_boxes = {}; }
};

// Shift_JIS text from a list of byte values.
inline std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// The two bytes of a cell index as text.
inline std::string character(int cell) {
    const SjisBytes b = bytes_of(cell);
    return bytes({b.lead, b.trail});
}

// The cell indexes whose flags are set, in order.
inline std::vector<int> cells_of(const KanjiGrid& set) {
    std::vector<int> cells;
    for (int i = 0; i < grid_cells; ++i)
        if (set[static_cast<std::size_t>(i)] != 0) cells.push_back(i);
    return cells;
}

// An anonymous file holding the given bytes, rewound; closes itself.
struct ScratchFile {
    explicit ScratchFile(const std::string& content) : file(std::tmpfile()) {
        std::fwrite(content.data(), 1, content.size(), file);
        std::rewind(file);
    }
    ~ScratchFile() { std::fclose(file); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    std::FILE* file;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
struct TempDir {
    TempDir() {
        std::random_device random;
        do {
            path = std::filesystem::temp_directory_path() / ("sorvane-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path));
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

}  // namespace sorvane::testing
