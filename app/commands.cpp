#include "app/commands.h"

#include <array>
#include <cerrno>
#include <cstdio>

#include "app/lists.h"
#include "core/list_ops.h"
#include "core/list_text.h"

namespace sorvane {

void parse_registered(AppState& state) { parse_list(state.lists.registered.view(), state.registered_set); }

void parse_detected(AppState& state) { parse_list(state.lists.detected.view(), state.detected_set); }

void render_registered(AppState& state) {
    render_list(state.registered_set, state.lists.registered.bytes.data());
    state.counters.registered = count(state.registered_set);
}

void render_detected(AppState& state) { render_list(state.detected_set, state.lists.detected.bytes.data()); }

namespace {

Outcome changed(unsigned lists) {
    Outcome outcome;
    outcome.lists = lists;
    return outcome;
}

Outcome merge_detected(AppState& state, void (*merge)(KanjiGrid&, const KanjiGrid&)) {
    parse_registered(state);
    parse_detected(state);
    merge(state.registered_set, state.detected_set);
    render_registered(state);
    return changed(registered_list);
}

}  // namespace

Outcome add_detected(AppState& state) { return merge_detected(state, add_characters); }

Outcome remove_detected(AppState& state) { return merge_detected(state, remove_characters); }

Outcome sort_registered(AppState& state) {
    parse_registered(state);
    render_registered(state);
    return changed(registered_list);
}

Outcome clear_registered(AppState& state) {
    state.lists.registered.store("");
    state.counters.registered = 0;
    return changed(registered_list);
}

Outcome clear_detected(AppState& state) {
    state.lists.detected.store("");
    return changed(detected_list);
}

Outcome choose_font(AppState& state, int value) {
    state.font.stored = value;
    return {};
}

Outcome choose_compiler(AppState& state, int value) {
    state.compiler.stored = value;
    return {};
}

Outcome choose_output_sequence(AppState& state, int value) {
    state.output_sequence = value;
    return {};
}

Outcome choose_language(AppState& state, int language) {
    state.language_value = language == 1 ? 1 : 0;
    return {};
}

Outcome mark_shift_jis_file(const char* path, Scanner& scanner, KanjiGrid& found) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return {message_cannot_open_input, path, errno};
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(file, buffer);
    scanner.mark_characters(in, found);
    std::fclose(file);
    // A read error cuts the text short: its characters are not all known.
    if (in.read_failed()) return {message_cannot_open_input, path, in.read_error()};
    return {};
}

Outcome scan_files(AppState& state, std::span<const char* const> paths, MarkFile mark_file, const ListHolder& lists) {
    if (paths.empty()) return {};
    state.paths.input.store(paths.back());
    KanjiGrid found{};
    Scanner scanner;
    for (const char* path : paths) {
        const Outcome read = mark_file(path, scanner, found);
        if (!read.ok()) return read;
    }
    lists.pull();
    parse_registered(state);
    render_registered(state);
    new_characters(found, state.registered_set, state.detected_set);
    state.counters.detected = count(state.detected_set);
    render_detected(state);
    lists.show(detected_list | registered_list);
    return changed(detected_list | registered_list);
}

}  // namespace sorvane
