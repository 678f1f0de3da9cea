#include <algorithm>
#include <array>
#include <memory>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

#include "app/commands.h"
#include "app/lists.h"
#include "core/files.h"
#include "core/output_file.h"
#include "core/text_stream.h"
#include "fontgen/font_image.h"
#include "fontgen/include_reader.h"
#include "fontgen/font_table.h"
#include "state/settings_file.h"

namespace sorvane {

// The suffix never lands outside the path that stands in the font_path slot.
FontSourceLoad load_font_source(AppState& state) {
    const FontKind& font = state.font.kind();
    state.counters.glyph_bytes = font.glyph_bytes();
    FontSourceLoad load;
    const std::int32_t length = state.paths.ini_length;
    char* path = state.paths.font.bytes.data();
    load.outcome = {message_cannot_open_input, path, 0};
    if (length < 3 || static_cast<std::size_t>(length) > state.paths.font.view().size()) return load;
    std::memcpy(path + length - 3, font.suffix, 3);
    // A folder would read as a font of blank glyphs, and a FIFO would wait for a writer.
    if (is_special_file(path)) {
        load.outcome.reason = message_not_a_file;
        return load;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        load.outcome.error = errno;
        return load;
    }
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(file, buffer);
    load.lines = read_font_source(in, font.dots, state.glyph_store);
    const int error = in.read_error();
    std::fclose(file);
    load.outcome = {};
    if (error != 0) load.outcome = {message_cannot_open_input, path, error};
    return load;
}

const char* offered_output_path(AppState& state) {
    if (state.paths.output.empty()) state.paths.output.store("Font.inc");
    return state.paths.output.c_str();
}

namespace {

// Whether path names a file the generation reads: the settings file (or its lock file) or a
// font source file, full or half-width; there yet or not, for what an output makes there
// would be read as one.
bool is_generation_input(const AppState& state, const char* path) {
    std::array<char, ini_path_capacity> source = state.ini_path;
    const std::size_t length = std::strlen(source.data());
    if (length < 3) return false;
    if (names_settings_file(state, path) || same_place(path, source.data()) ||
        same_place(path, settings_lock_path(state).data()))
        return true;
    for (const FontKind& font : font_table) {
        for (const char* suffix : {font.suffix, font.half_suffix}) {
            std::memcpy(source.data() + length - 3, suffix, 3);
            if (same_place(path, source.data())) return true;
        }
    }
    return false;
}

}  // namespace

int missing_glyphs(const AppState& state, std::span<int> first) {
    const int dots = state.font.kind().dots;
    int missing = 0;
    for (int cell = 1; cell < grid_cells; ++cell) {
        if (state.registered_set[static_cast<std::size_t>(cell)] == 0) continue;
        const GlyphRecord& glyph = state.glyph_store[static_cast<std::size_t>(cell)];
        bool blank = true;
        for (int r = 0; r < dots; ++r) blank = blank && glyph[static_cast<std::size_t>(r)] == 0;
        if (!blank) continue;
        if (static_cast<std::size_t>(missing) < first.size()) first[static_cast<std::size_t>(missing)] = cell;
        ++missing;
    }
    return missing;
}

std::string half_source_path(const AppState& state) {
    std::string path = state.ini_path.data();
    if (path.size() >= 3) path.replace(path.size() - 3, 3, state.font.kind().half_suffix);
    return path;
}

int missing_half_glyphs(const HalfTable& half, const IncludeLayout& layout, std::span<int> first) {
    int missing = 0;
    for (int code = 0x21; code < half_codes; ++code) {
        const bool asked = (layout.ascii() && code <= 0x7E) || (layout.kana() && code >= kana_first && code < kana_first + kana_count);
        const GlyphRecord& g = half[static_cast<std::size_t>(code)];
        if (!asked || !std::all_of(g.begin(), g.end(), [](std::int32_t row) { return row == 0; })) continue;
        if (static_cast<std::size_t>(missing) < first.size()) first[static_cast<std::size_t>(missing)] = code;
        ++missing;
    }
    return missing;
}

bool load_half_source(const AppState& state, const IncludeLayout& layout, HalfTable& half, Generation& generation) {
    const std::string path = half_source_path(state);
    const FontKind& font = state.font.kind();
    for (GlyphRecord& g : half) g.fill(0);
    generation.half_refused = true;
    // A folder would read as blank glyphs, and a FIFO would wait for a writer.
    if (is_special_file(path.c_str())) {
        generation.half_error = EISDIR;
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        generation.half_error = errno;
        return false;
    }
    std::array<std::uint8_t, 1 << 14> buffer;
    TextReader in(file, buffer);
    read_font_source(in, font.dots, half, &generation.half_fault, 8 * font.half_row_bytes());
    generation.half_error = in.read_error();
    std::fclose(file);
    generation.missing_half = missing_half_glyphs(half, layout, generation.first_missing_half);
    const int asked = (layout.ascii() ? ascii_count - 1 : 0) + (layout.kana() ? kana_count : 0);
    generation.half_refused =
        generation.half_error != 0 || generation.half_fault.line != 0 || generation.missing_half == asked;
    return !generation.half_refused;
}

namespace {

// The code range of the last include file, which an empty list writes again.
CodeRange last_code_range(const AppState& state) {
    return {static_cast<std::uint32_t>(state.counters.first_code), static_cast<std::uint32_t>(state.counters.last_code)};
}

// Whether the guards refuse the include file of the registered list, as the generation
// found it: its size, and for strict every glyph.
bool refused_by(const GenerationGuards& guards, const char* image, const IncludeLayout& layout, const AppState& state,
                const HalfTable& half, Generation& generation) {
    const FontKind& font = state.font.kind();
    // Compressed sets are counted with the glyphs only when a limit asks for their size.
    const bool limited = guards.max_bytes >= 0;
    generation.include = limited ? summarize_include_file(state.registered_set, state.glyph_store, font,
                                                          last_code_range(state), layout, &half)
                                 : summarize_include_file(state.registered_set, font, last_code_range(state), layout);
    const bool include_over = limited && generation.include.total_bytes() > guards.max_bytes;
    if (limited && !include_over && image)
        generation.image_size = font_image_size(state.registered_set, state.glyph_store, font, layout, &half,
                                                &generation.image_tables);
    generation.image_over = limited && !include_over && image && generation.image_size > guards.max_bytes;
    generation.too_big = include_over || generation.image_over;
    generation.not_whole =
        guards.strict && (generation.missing_glyphs > 0 || generation.missing_half > 0 || !generation.font.ok());
    return generation.too_big || generation.not_whole;
}

// The outputs of a generation, opened together before either is written: an image that
// cannot be made refuses the include file too.
struct Outputs {
    std::optional<OutputFile> include;
    std::optional<OutputFile> image;  // when one is asked for
};

// Opens the image asked for and the include file; false, with the outcome set, when one of
// them cannot be made. The include file comes last: written directly (its folder takes no
// new file), it loses its old contents as it opens.
bool open_outputs(Outputs& outputs, const char* include_path, const char* image_path, Generation& generation) {
    for (const char* path : {image_path, include_path}) {
        if (!path) continue;
        std::optional<OutputFile>& output = path == include_path ? outputs.include : outputs.image;
        output.emplace(path);
        if (!output->file()) {
            generation.outcome = {message_cannot_create_output, path, output->error(), generation.outcome.lists};
            return false;
        }
    }
    return true;
}

// Writes the image of the same font, when asked for, into the output opened for it and
// pushes it to the disk; false, with the outcome set, when it could not be written.
bool write_image(const std::vector<std::uint8_t>& image, std::optional<OutputFile>& output, const char* image_path,
                 Generation& generation) {
    if (!output) return true;
    int error = 0;
    if (std::fwrite(image.data(), 1, image.size(), output->file()) != image.size()) error = errno != 0 ? errno : EIO;
    if ((error = output->prepare(error == 0, error)) != 0) {
        generation.outcome = {message_cannot_create_output, image_path, error, registered_list};
        return false;
    }
    generation.image_bytes = static_cast<long long>(image.size());
    return true;
}

// Puts the image and then the include file in place, both already on the disk: a failure of
// either to reach the disk replaces neither. Where the two names turn out to be one file only
// now (a folder whose names ignore case: a.inc and A.INC, neither there before), the image
// is taken back and the include file not put in place.
bool put_in_place(Outputs& outputs, const char* include_path, const char* image_path, Generation& generation) {
    if (outputs.image) {
        if (const int error = outputs.image->commit()) {
            generation.outcome = {message_cannot_create_output, image_path, error, registered_list};
            return false;
        }
        if (same_file(outputs.image->target(), outputs.include->target())) {
            remove_plain_file(outputs.image->target());
            generation.outcome = {message_cannot_create_output, image_path, 0, no_list, message_image_is_include_file};
            return false;
        }
    }
    if (const int error = outputs.include->commit()) {
        generation.outcome = {message_cannot_create_output, include_path, error, registered_list};
        return false;
    }
    return true;
}

// Writes the include file of the registered list into the output opened for it, and the
// image when asked for, and keeps the values of the last generation; a file cut short (a
// full disk) must not pass for one. The include file is put in place only once the image is.
void write_include(AppState& state, Outputs& outputs, const char* image_path, const BannerTime& time,
                   const IncludeLayout& layout, const HalfTable& half, Generation& generation) {
    // One table of the whole grid, always searched.
    state.counters.index_mode = 0;
    state.counters.table_capacity = grid_cells;
    state.counters.table_count = 1;
    OutputFile& output = *outputs.include;
    int write_error = 0;
    // The include file names the image made with it.
    const std::vector<std::uint8_t> image =
        image_path ? font_image(state.registered_set, state.glyph_store, state.font.kind(), layout, &half)
                   : std::vector<std::uint8_t>{};
    {
        TextWriter out(output.file());
        generation.include = write_include_file(out, state.registered_set, state.glyph_store, state.font.kind(),
                                                state.compiler.kind(), time, last_code_range(state),
                                                layout, &half, image_path ? image_identity(image) : std::nullopt);
        write_error = out.error();
    }
    state.counters.first_code = static_cast<std::int32_t>(generation.include.codes.first);
    state.counters.last_code = static_cast<std::int32_t>(generation.include.codes.last);
    bool complete = generation.include.written && write_image(image, outputs.image, image_path, generation);
    if (const int error = output.prepare(complete, write_error)) {
        complete = false;
        if (generation.outcome.ok())
            generation.outcome = {message_cannot_create_output, state.paths.output.c_str(), error, registered_list};
    }
    generation.include.written = complete && put_in_place(outputs, state.paths.output.c_str(), image_path, generation);
}

// Whether the include file and the image that a generation is about to replace are of
// different generations: the include file names an image (FONT_IMAGE_CRC) and the image
// there is another one, as a generation killed between its two renames leaves them. A pair
// of which either file is missing, or whose include file names no image, is not told apart.
bool found_pair_disagrees(const char* include_path, const char* image_path) {
    const auto head = [](const char* path, std::size_t limit) {
        std::string text;
        std::FILE* file = is_special_file(path) ? nullptr : std::fopen(path, "rb");
        if (!file) return text;
        text.resize(limit);
        text.resize(std::fread(text.data(), 1, limit, file));
        std::fclose(file);
        return text;
    };
    if (!image_path) return false;
    // The defines come before the tables; the list of characters before them takes at most
    // a few hundred KB. An image's header fits in 64 KB.
    const std::optional<std::uint32_t> named = named_image(head(include_path, 1u << 20));
    const std::string image = head(image_path, 1u << 16);
    if (!named || image.empty()) return false;
    return image_identity(std::span(reinterpret_cast<const std::uint8_t*>(image.data()), image.size())) != named;
}

}  // namespace

Generation generate(AppState& state, const char* path, const BannerTime& time, const ListHolder& lists,
                    const GenerationGuards& guards, const GenerationChoices* choices) {
    Generation generation;
    // A refused generation keeps the stored path and choices: a later plain generate must not
    // aim at the file that was refused, nor in the way it was refused.
    const auto last = std::make_unique<std::pair<TextSlot, GenerationChoices>>(state.paths.output.bytes, state.generation);
    const auto refuse = [&state, &last, &generation] {
        state.paths.output.bytes = last->first;
        state.generation = last->second;
        return generation;
    };
    state.paths.output.store(path);
    if (choices) state.generation = *choices;
    const IncludeLayout layout = generation.layout = state.generation.layout();
    generation.image = state.generation.image.view();
    const char* image = state.generation.image.empty() ? nullptr : state.generation.image.c_str();
    const char* out_path = state.paths.output.c_str();
    for (const char* output_path_asked : {out_path, image}) {
        if (output_path_asked && is_generation_input(state, output_path_asked)) {
            generation.outcome = {message_cannot_create_output, output_path_asked, 0, no_list, message_output_is_generation_input};
            return refuse();
        }
    }
    if (image && same_place(image, out_path)) {
        generation.outcome = {message_cannot_create_output, image, 0, no_list, message_image_is_include_file};
        return refuse();
    }
    // Before either file is opened: an output written directly loses its old contents at once.
    generation.other_generation = found_pair_disagrees(out_path, image);
    // A guarded generation opens its output only once the guards let it: a file written
    // directly (a folder where no other file can be made) would lose its old contents at once.
    // Half-width glyphs guard the same way: without them there is nothing to write.
    const bool guarded = guards.max_bytes >= 0 || guards.strict || layout.half != HalfWidth::none;
    Outputs outputs;
    if (!guarded && !open_outputs(outputs, out_path, image, generation)) return generation;

    lists.pull();
    parse_registered(state);
    render_registered(state);
    generation.outcome.lists = registered_list;
    lists.show(registered_list);
    const FontSourceLoad load = load_font_source(state);
    generation.font = load.outcome;
    generation.font_lines = load.lines;
    generation.missing_glyphs = missing_glyphs(state, {});
    const auto half = std::make_unique<HalfTable>();
    if (layout.half != HalfWidth::none && !load_half_source(state, layout, *half, generation)) return refuse();

    if (guarded) {
        if (refused_by(guards, image, layout, state, *half, generation)) return refuse();
        if (!open_outputs(outputs, out_path, image, generation)) return generation;
    }
    write_include(state, outputs, image, time, layout, *half, generation);
    return generation;
}

}  // namespace sorvane
