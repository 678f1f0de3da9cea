#include "app/commands.h"

#include <array>
#include <cerrno>
#include <cstdio>

#include "app/lists.h"
#include "core/list_ops.h"
#include "core/list_text.h"

namespace sorvane {

void parse_registered(AppState& state) { parse_list(state.text(registered_text), state.registered_set); }

void parse_detected(AppState& state) { parse_list(state.text(detected_text), state.detected_set); }

void render_registered(AppState& state) {
    render_list(state.registered_set, state.text_slots[registered_text].data());
    state.settings[kanji_num] = count(state.registered_set);
}

void render_detected(AppState& state) { render_list(state.detected_set, state.text_slots[detected_text].data()); }

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

Outcome choose(AppState& state, Setting setting, int value) {
    state.settings[setting] = value;
    return {};
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
    state.store_text(registered_text, "");
    state.settings[kanji_num] = 0;
    return changed(registered_list);
}

Outcome clear_detected(AppState& state) {
    state.store_text(detected_text, "");
    return changed(detected_list);
}

Outcome choose_font(AppState& state, int value) { return choose(state, font_kind, value); }

Outcome choose_compiler(AppState& state, int value) { return choose(state, compiler, value); }

Outcome choose_output_sequence(AppState& state, int value) { return choose(state, output_sequence, value); }

Outcome choose_language(AppState& state, int language) { return choose(state, Setting::language, language == 1 ? 1 : 0); }

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
    state.store_text(input_path, paths.back());
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
    state.settings[detected_num] = count(state.detected_set);
    render_detected(state);
    lists.show(detected_list | registered_list);
    return changed(detected_list | registered_list);
}

}  // namespace sorvane
