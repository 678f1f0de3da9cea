#include "state/settings_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/files.h"
#include "core/text_stream.h"
#include "state/app_state.h"
#include "state/fullpath.h"

namespace sorvane {

// The generation's choices stand in lines that the window never used, so that a folder that
// never set them reads and writes them as 0 and empty, byte for byte as before. The font's
// name (--name) is text line 7, --compress number line 7; text lines 0, 8 and 9 are still free:
// lines past the twentieth number or the tenth text would be dropped by an older program's load.
std::int32_t& number_slot(AppState& state, int slot) {
    switch (slot) {
    case 0: return state.language_value;
    case 1: return state.window.left;
    case 2: return state.window.top;
    case 3: return state.window.right;
    case 4: return state.window.bottom;
    case 5: return state.generation.half_width;
    case 6: return state.generation.key;
    case 7: return state.generation.compress;
    case 8: return state.output_sequence;
    case 9: return state.compiler.stored;
    case 10: return state.counters.index_mode;
    case 11: return state.counters.registered;
    case 12: return state.counters.first_code;
    case 13: return state.counters.last_code;
    case 14: return state.counters.table_count;
    case 15: return state.counters.glyph_bytes;
    case 16: return state.counters.table_capacity;
    case 17: return state.counters.detected;
    case 18: return state.font.stored;
    case 19: return state.paths.ini_length;
    default: return state.unused.number;  // none
    }
}

StoredText& text_slot(AppState& state, int slot) {
    switch (slot) {
    case 1: return state.paths.input;
    case 2: return state.paths.output;
    case 3: return state.lists.detected;
    case 4: return state.lists.registered;
    case 5: return state.paths.font;
    case 6: return state.generation.image;
    case 7: return state.generation.name;
    case 8: return state.unused.texts[1];
    case 9: return state.unused.texts[2];
    default: return state.unused.texts[0];  // 0
    }
}

namespace {

// One line of the file with its line end, as long as a text slot can hold.
using LineBuffer = std::array<char, text_slot_size>;

constexpr char text_line_break = '\x07';  // a LF inside a text is stored as BEL

// The decimal value at the start of a line: blanks skipped, optional sign, digits up to the
// first other character; no digits give 0, and a value past the 32-bit range its limit.
std::int32_t decimal_value(const char* p) {
    while (*p == ' ' || *p == '\t' || *p == '\v' || *p == '\f' || *p == '\r' || *p == '\n') ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    std::int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) value = std::min<std::int64_t>(value * 10 + (*p - '0'), std::int64_t{1} << 31);
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, INT32_MAX));
}

// Reads one line into line_buffer; false when the file has ended. A line too long for the
// buffer keeps its first 31999 bytes and its rest is skipped, so the lines after it stay
// in their places.
bool next_line(TextReader& in, LineBuffer& line_buffer, std::size_t& length) {
    length = in.read_line(line_buffer.data(), line_buffer.size());
    if (length == 0) return false;
    if (line_buffer[length - 1] == '\n') {
        line_buffer[--length] = '\0';
    } else if (length == line_buffer.size() - 1) {
        in.skip_line();
    }
    return true;
}

void read_lines(TextReader& in, AppState& state) {
    LineBuffer line_buffer;
    std::size_t length = 0;
    if (!next_line(in, line_buffer, length)) return;
    const std::int32_t setting_lines = decimal_value(line_buffer.data());
    for (std::int32_t i = 0; i < setting_lines; ++i) {
        if (!next_line(in, line_buffer, length)) return;  // no texts when the settings are cut short
        if (i < setting_count) number_slot(state, i) = decimal_value(line_buffer.data());
    }
    if (!next_line(in, line_buffer, length)) return;
    const std::int32_t text_lines = decimal_value(line_buffer.data());
    for (std::int32_t i = 0; i < text_lines; ++i) {
        if (!next_line(in, line_buffer, length)) return;
        if (i >= text_slot_count) continue;
        std::replace(line_buffer.begin(), line_buffer.begin() + static_cast<std::ptrdiff_t>(length), text_line_break, '\n');
        text_slot(state, i).store(std::string_view(line_buffer.data(), length));
    }
}

// Writes both tables; 0 when every byte reached the file, else the errno of the first write
// that failed.
int write_settings(std::FILE* file, AppState& state) {
    TextWriter out(file);
    out.write("20\n");
    for (int slot = 0; slot < setting_count; ++slot) {
        out.write_signed(number_slot(state, slot));
        out.write("\n");
    }
    out.write("10\n");
    for (int slot = 0; slot < text_slot_count; ++slot) {
        for (const char c : text_slot(state, slot).view()) {
            if (c == '\n') {
                out.write_byte(text_line_break);
            } else if (c != '\x1A') {  // a 0x1A would end the file for every line after it
                out.write_byte(c);
            }
        }
        out.write("\n");
    }
    return out.flush() ? 0 : out.error() != 0 ? out.error() : EIO;
}

}  // namespace

bool read_settings_file(std::FILE* file, AppState& state, int* error) {
    std::array<std::uint8_t, 1 << 16> buffer;
    TextReader in(file, buffer);
    read_lines(in, state);
    if (error) *error = in.read_error();
    return !in.read_failed();
}

int damaged_line_of(std::FILE* file) {
    std::array<char, 1 << 16> block;
    int line = 1;
    int damaged = 0;
    for (std::size_t n; damaged == 0 && (n = std::fread(block.data(), 1, block.size(), file)) > 0;) {
        for (std::size_t i = 0; i < n; ++i) {
            if (block[i] == '\n') ++line;
            if (block[i] == '\x1A' || block[i] == '\0') {
                damaged = line;
                break;
            }
        }
    }
    return std::fseek(file, 0, SEEK_SET) == 0 ? damaged : 0;
}

namespace {

// path with ".lock" after it; empty when path is empty.
LockPath lock_beside(const char* path) {
    LockPath lock{};
    const std::size_t length = std::strlen(path);
    if (length == 0 || length + sizeof settings_lock_suffix > lock.size()) return lock;
    std::memcpy(lock.data(), path, length);
    std::memcpy(lock.data() + length, settings_lock_suffix, sizeof settings_lock_suffix);
    return lock;
}

// The file at the end of the links of the state's settings file; empty when there is none.
std::array<char, ini_path_capacity> settings_target(const AppState& state) {
    std::array<char, ini_path_capacity> target{};
    if (state.ini_path[0] == '\0' || !link_target(state.ini_path.data(), target.data(), target.size())) target[0] = '\0';
    return target;
}

}  // namespace

int settings_file_language(const char* path) {
    if (is_special_file(path)) return -1;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return -1;
    std::array<std::uint8_t, 4096> buffer;
    TextReader in(file, buffer);
    LineBuffer line_buffer;
    std::size_t length = 0;
    int language_of_file = 0;
    if (next_line(in, line_buffer, length) && decimal_value(line_buffer.data()) > 0 &&
        next_line(in, line_buffer, length))
        language_of_file = decimal_value(line_buffer.data()) == 1 ? 1 : 0;
    std::fclose(file);
    return language_of_file;
}

LockPath settings_lock_path(const AppState& state) { return lock_beside(settings_target(state).data()); }

LockAttempt lock_settings(const AppState& state, FileLock& lock, int wait_ms) {
    const LockPath path = settings_lock_path(state);
    if (path[0] == '\0') return {FileLock::Result::not_opened, ENAMETOOLONG};
    const FileLock::Result result = lock.acquire(path.data(), wait_ms);
    return {result, lock.error()};
}

LoadOutcome lock_outcome(FileLock::Result result) {
    switch (result) {
    case FileLock::Result::busy: return LoadOutcome::busy;
    case FileLock::Result::not_a_file: return LoadOutcome::lock_not_a_file;
    case FileLock::Result::a_link: return LoadOutcome::lock_is_link;
    case FileLock::Result::not_opened: return LoadOutcome::lock_refused;
    case FileLock::Result::locked:
    case FileLock::Result::no_folder_write: break;
    }
    return LoadOutcome::loaded;
}

bool names_settings_file(const AppState& state, const char* path) {
    if (state.ini_path[0] == '\0') return false;
    const auto target = settings_target(state);
    const LockPath own_lock = lock_beside(state.ini_path.data());
    const LockPath lock = lock_beside(target.data());
    const char* files[] = {state.ini_path.data(), target.data(), own_lock.data(), lock.data()};
    std::array<char, ini_path_capacity + 16> full{};
    const bool have_full = full_path(path, full.data(), full.size()) != 0;
    for (const char* file : files) {
        if (file[0] == '\0') continue;
        if (same_file(path, file) || (have_full && std::strcmp(full.data(), file) == 0)) return true;
    }
    return false;
}

LoadResult load_settings(AppState& state, int* damaged_line, FileLock* hold) {
    state.clear();
    auto& ini_path = state.ini_path;
    static constexpr char program_file[] = "Sorvane.exe";
    const std::size_t length = full_path(program_file, ini_path.data(), ini_path.size());
    LoadOutcome outcome = LoadOutcome::no_path;
    int error = 0;
    if (length >= 3) {
        std::memcpy(ini_path.data() + length - 3, "ini", 3);
        const LockAttempt attempt = hold ? lock_settings(state, *hold, settings_wait_ms) : LockAttempt{};
        const LoadOutcome lock = lock_outcome(attempt.result);
        if (lock != LoadOutcome::loaded) {
            outcome = lock;
            error = attempt.error;
            state.language_value = std::max(settings_file_language(ini_path.data()), 0);  // for the refusal
        } else if (is_special_file(ini_path.data())) {
            outcome = LoadOutcome::not_a_file;  // a FIFO would wait for a writer for ever
        } else if (std::FILE* file = std::fopen(ini_path.data(), "rb")) {
            const int damaged = damaged_line_of(file);
            outcome = !read_settings_file(file, state, &error) ? LoadOutcome::unreadable
                      : damaged > 0                    ? LoadOutcome::damaged
                                                       : LoadOutcome::loaded;
            if (damaged_line) *damaged_line = damaged;
            std::fclose(file);
        } else {
            error = errno;
            outcome = error == ENOENT ? LoadOutcome::missing : LoadOutcome::unreadable;
        }
        state.paths.font.store(ini_path.data());
        state.paths.ini_length = static_cast<std::int32_t>(length);
    } else {
        ini_path[0] = '\0';
    }
    // Only 0 and 1 name a language; anything else starts in Japanese.
    if (state.language_value != 1) state.language_value = 0;
    return {outcome, error};
}

SaveResult save_settings(AppState& state, const WindowRect* window) {
    if (state.ini_path[0] == '\0') return {SaveOutcome::no_path};
    // A Sorvane.ini that is a link keeps being one: its target takes the new settings.
    std::array<char, ini_path_capacity> target{};
    if (!link_target(state.ini_path.data(), target.data(), target.size())) return {SaveOutcome::not_opened, errno};
    // The file must be writable where it stands; a read-only Sorvane.ini stays as it is.
    if (std::FILE* existing = std::fopen(target.data(), "rb")) {
        std::fclose(existing);
        std::FILE* probe = std::fopen(target.data(), "ab");
        if (!probe) return {SaveOutcome::not_opened, errno};
        std::fclose(probe);
    }
    // The new file gets a name of its own beside the old one, so that another run saving at
    // the same time never writes into it, and replaces the old one only when complete.
    std::array<char, ini_path_capacity + 32> new_path{};
    std::FILE* file = create_beside(target.data(), new_path.data(), new_path.size());
    if (!file) return {SaveOutcome::not_opened, errno};

    if (window) {
        state.window = {window->left, window->top, window->right, window->bottom};
    }
    // The errno of the first step that failed, taken as it failed.
    int error = write_settings(file, state);
    if (error == 0 && !sync_to_disk(file)) error = errno != 0 ? errno : EIO;
    if (std::fclose(file) != 0 && error == 0) error = errno != 0 ? errno : EIO;
    if (error == 0 && !replace_file(new_path.data(), target.data())) error = errno != 0 ? errno : EIO;
    if (error != 0) {
        remove_plain_file(new_path.data());
        return {SaveOutcome::write_failed, error};
    }
    return {SaveOutcome::saved};
}

}  // namespace sorvane
