#include "state/app_state.h"

#include <algorithm>
#include <cstring>

namespace sorvane {

std::string_view StoredText::view() const {
    const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
    const std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()) : bytes.size();
    return {bytes.data(), n};
}

void StoredText::store(std::string_view text) {
    const std::size_t n = std::min(text.size(), bytes.size() - 1);
    std::memmove(bytes.data(), text.data(), n);
    bytes[n] = '\0';
}

IncludeLayout GenerationChoices::layout() const {
    IncludeLayout l;
    if (half_width >= 1 && half_width <= static_cast<std::int32_t>(half_width_words.size()))
        l.half = static_cast<HalfWidth>(static_cast<int>(HalfWidth::ascii) + half_width - 1);
    const bool keyed = key == static_cast<std::int32_t>(KeyChoice::sjis) || key == static_cast<std::int32_t>(KeyChoice::unicode);
    l.key = key == static_cast<std::int32_t>(KeyChoice::unicode) ? CodeKey::unicode : CodeKey::sjis;
    // Half-width glyphs always come with a key, as they did when asked for alone.
    l.says_key = keyed || l.half != HalfWidth::none;
    l.name = name.view();
    l.compress = compress == 1;
    return l;
}

void AppState::clear() {
    const auto empty = [](StoredText& t) { t.bytes[0] = '\0'; };
    language_value = 0;
    font = {};
    compiler = {};
    output_sequence = 0;
    generation.half_width = generation.key = generation.compress = 0;
    empty(generation.image);
    empty(generation.name);
    window = {};
    counters = {};
    for (StoredText* t : {&paths.input, &paths.output, &paths.font, &lists.detected, &lists.registered}) empty(*t);
    paths.ini_length = 0;
    unused.number = 0;
    for (StoredText& t : unused.texts) empty(t);
}

}  // namespace sorvane
