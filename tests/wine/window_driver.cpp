// Drives the real Sorvane.exe as a user would, from another process: starts it in the
// current (fresh) folder, presses its buttons, fills its file dialogs, reads its boxes,
// switches language and radio buttons, scrolls, closes it, and then checks Sorvane.ini and
// the include file byte for byte; then sets the generation's choices with sorvane-cli.exe and
// checks that the window's button writes the same include file and image. Takes a picture
// of the window in each language.
//
//   sorvane-window-driver SORVANE_EXE SAMPLE_TEXT [FULL_DEVICE]
//
// FULL_DEVICE names a device in the folder that refuses every write, as /dev/full does,
// for the check of a write error; the caller checks that the device is still there.
//
//   sorvane-window-driver --bundled SORVANE_EXE SAMPLE_TEXT
//
// starts the window in the current folder as it is, the unpacked release with its fonts:
// scans the sample, registers it, chooses jiskan16, generates Font.inc and closes the
// window. The caller compares Font.inc with the Linux program's. Exit status 0 when every
// check passed.
#include <windows.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/messages.h"
#include "core/kanji_grid.h"
#include "core/list_text.h"
#include "ui/control_table.h"
#include "ui/layout.h"

namespace {

using namespace sorvane;

int failures = 0;

void check(bool ok, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::printf(ok ? "ok    " : "FAIL  ");
    std::vprintf(format, args);
    std::printf("\n");
    std::fflush(stdout);
    va_end(args);
    if (!ok) ++failures;
}

HANDLE program = nullptr;  // the running Sorvane.exe

[[noreturn]] void give_up(const char* what) {
    std::printf("FAIL  %s; giving up\n", what);
    std::fflush(stdout);
    if (program) TerminateProcess(program, 1);
    std::exit(1);
}

// Waits up to ten seconds for a condition, looking every 50 ms.
template <typename Condition>
bool wait_until(Condition condition, int milliseconds = 10000) {
    for (int waited = 0; waited < milliseconds; waited += 50) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

// The text of a window of another process: only WM_GETTEXT reaches an edit control's
// contents across processes.
std::string text_of(HWND window) {
    std::vector<char> text(40000);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             10000, &length))
        return "<no answer>";
    return std::string(text.data(), length);
}

// The program, its window and its controls.
DWORD program_id = 0;
HWND main_window = nullptr;

HWND control(int row) { return GetDlgItem(main_window, row); }

// Returns once the window has handled everything sent or posted before.
void settle() {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main_window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    SendMessageTimeoutA(main_window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

// A click that returns when the command has run.
void press(int row) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control(row), BM_CLICK, 0, 0, SMTO_NORMAL, 20000, &result);
    settle();
}

bool is_checked(int row) { return SendMessageA(control(row), BM_GETCHECK, 0, 0) == BST_CHECKED; }

struct Found {
    HWND owner;
    const char* window_class;
    HWND window;
};

// A visible top-level window of the program of a class, owned by a given window.
HWND find_owned(HWND owner, const char* window_class) {
    Found found{owner, window_class, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* f = reinterpret_cast<Found*>(data);
            char name[64] = "";
            GetClassNameA(window, name, sizeof name);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == program_id && IsWindowVisible(window) && std::strcmp(name, f->window_class) == 0 &&
                GetWindow(window, GW_OWNER) == f->owner) {
                f->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.window;
}

HWND wait_for_dialog(HWND owner, const char* what) {
    HWND dialog = nullptr;
    if (!wait_until([&] { return (dialog = find_owned(owner, "#32770")) != nullptr; })) give_up(what);
    return dialog;
}

// The file name box of a file dialog: an edit control with the identifier edt1, or the edit
// inside the combo box cmb13.
HWND file_name_box(HWND dialog) {
    struct Search {
        HWND edit;
    } search{nullptr};
    EnumChildWindows(
        dialog,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char name[32] = "";
            GetClassNameA(window, name, sizeof name);
            const int id = GetDlgCtrlID(window);
            const int parent_id = GetDlgCtrlID(GetParent(window));
            if (_stricmp(name, "Edit") == 0 && (id == 0x480 || parent_id == 0x47C)) {
                s->edit = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.edit;
}

// Presses a button of a dialog, by its identifier, without waiting for what it starts.
void press_in(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))); }

// Waits until no dialog of the window is open any more, then for the command to end.
void wait_for_dialogs_to_close(const char* what) {
    if (!wait_until([] { return find_owned(main_window, "#32770") == nullptr; })) give_up(what);
    settle();
}

// Presses a button whose command opens a file dialog, enters path and confirms (and, when
// the file exists, confirms that it may be replaced); returns the text the dialog's file
// name box offered, once the dialog has gone.
std::string choose_in_dialog(int row, const std::string& path, const char* what, bool replace = false) {
    PostMessageA(control(row), BM_CLICK, 0, 0);
    HWND dialog = wait_for_dialog(main_window, what);
    HWND box = nullptr;
    if (!wait_until([&] { return (box = file_name_box(dialog)) != nullptr; })) give_up("no file name box in the dialog");
    const std::string offered = text_of(box);
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    press_in(dialog, IDOK);
    // A question whether to replace the file, if the dialog asks one.
    HWND question = nullptr;
    if (replace && wait_until([&] { return (question = find_owned(dialog, "#32770")) != nullptr; }, 2000))
        press_in(question, IDYES);
    if (!wait_until([&] { return !IsWindow(dialog); })) give_up("the file dialog stays open");
    return offered;
}

// Waits for the "Open error" box and returns its message after closing it.
std::string open_error_message(const char* what) {
    HWND box = wait_for_dialog(main_window, what);
    char caption[64] = "";
    GetWindowTextA(box, caption, sizeof caption);
    check(std::strcmp(caption, open_error_caption) == 0, "the box's caption is Open error");
    const std::string message = text_of(GetDlgItem(box, 0xFFFF));
    press_in(box, IDOK);
    wait_for_dialogs_to_close("the Open error box stays");
    return message;
}

// A message box shows its text without the final line end.
bool says(const std::string& shown, int message, int language) {
    std::string text = message_text(message, language);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return shown.rfind(text, 0) == 0;
}

// A picture of a window's screen area, the main window's unless another is named, as a BMP file.
void take_picture(const char* path, HWND window = main_window) {
    RECT r{};
    GetWindowRect(window, &r);
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle();
    Sleep(300);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD row_bytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + row_bytes * static_cast<DWORD>(height);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(row_bytes * static_cast<DWORD>(height)));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void check_labels(int language, const char* which) {
    int wrong = 0;
    for (int row = 0; row < control_row_count; ++row) {
        const ControlRow& r = control_table[static_cast<std::size_t>(row)];
        const bool labelled = (r.type >= push_button && r.type <= group_box) || r.type == static_label;
        if (!labelled) continue;
        if (text_of(control(row)) != label_of(row, language)) {
            std::printf("      row %d shows \"%s\"\n", row, text_of(control(row)).c_str());
            ++wrong;
        }
    }
    check(wrong == 0, "every button and label shows its %s label", which);
}

// The list text of the distinct characters in a text, as the window renders it.
std::string normal_form(const std::string& text) {
    KanjiGrid set{};
    parse_list(text, set);
    char rendered[longest_list_text];
    render_list(set, rendered);
    return rendered;
}

// The list text of the characters of a text that another text does not hold.
std::string without(const std::string& text, const std::string& removed) {
    KanjiGrid set{};
    KanjiGrid taken{};
    parse_list(text, set);
    parse_list(removed, taken);
    for (std::size_t c = 0; c < set.size(); ++c)
        if (taken[c]) set[c] = 0;
    char rendered[longest_list_text];
    render_list(set, rendered);
    return rendered;
}

// A font source for jiskan16 whose row value r of cell c is (c * 7 + r * 3) * 37 mod 65536.
std::int32_t test_row_value(int cell, int row) { return (cell * 7 + row * 3) * 37 % 65536; }

std::string test_font_source() {
    std::string text;
    for (int cell = 0; cell < grid_cells; ++cell) {
        for (int row = 0; row < 16; ++row) text += (row ? "," : "") + std::to_string(test_row_value(cell, row));
        text += "\r\n";
    }
    return text;
}

std::string with_crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The include file the window must write for a registered list text, jiskan16 and CC-RH,
// but for the banner's date, which is checked apart.
std::string expected_include_file(const std::string& registered, const std::string& banner_line) {
    KanjiGrid set{};
    parse_list(registered, set);
    std::vector<int> cells;
    for (int c = 0; c < grid_cells; ++c)
        if (set[static_cast<std::size_t>(c)]) cells.push_back(c);
    char line[200];
    std::string s = "/*******************************************************************************\n" + banner_line +
                    "\n *******************************************************************************/\n\n/*"
                    "\x8e\xc0\x91\x95\x95\xb6\x8e\x9a\x88\xea\x97\x97\n";
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const SjisBytes b = bytes_of(cells[i]);
        s += static_cast<char>(b.lead);
        s += static_cast<char>(b.trail);
        if (i % 40 == 39 || i + 1 == cells.size()) s += "\n";
    }
    std::snprintf(line, sizeof line,
                  "*/\n\n#define FONT_KANJI_INDEX\t0\t/* 0:search, 1:lookup, 2:none */\n#define FONT_KANJI_NUM\t\t%zu\n"
                  "#define FONT_KANJI_MIN\t\t%#x\n#define FONT_KANJI_MAX\t\t%#x\n#define FONT_KANJI_SIZE\t\t32\n\n",
                  cells.size(), code_of(cells.front()), code_of(cells.back()));
    s += line;
    s += "#pragma section const\nconst unsigned short\tfont_kanji_index[] = {\n";
    for (std::size_t i = 0; i < cells.size(); ++i) {
        std::snprintf(line, sizeof line, "%s%s%#x", i % 15 == 0 ? "\t" : "", i > 0 ? "," : "", code_of(cells[i]));
        s += line;
        if (i % 15 == 14 || i + 1 == cells.size()) s += "\n";
    }
    s += "};\n\nconst unsigned char\tfont_kanji[][FONT_KANJI_SIZE] = {\n";
    for (std::size_t i = 0; i < cells.size(); ++i) {
        s += i == 0 ? "\t{" : "\t,{";
        for (int n = 0; n < 32; ++n) {
            // Two bands of 8 rows: the low bytes of a band's rows, then what is above them.
            const int row = n / 16 * 8 + n % 8;
            const auto value = static_cast<unsigned>(test_row_value(cells[i], row));
            s += (n ? "," : "") + std::to_string(n % 16 < 8 ? value & 0xFF : value >> 8);
        }
        s += "}\n";
    }
    s += "};\n\n#pragma section default\n\n";
    return with_crlf(s);
}

std::string full_path(const char* name) {
    char path[MAX_PATH];
    GetFullPathNameA(name, sizeof path, path, nullptr);
    return path;
}

void scroll(UINT message, int request) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main_window, message, static_cast<WPARAM>(request), 0, SMTO_NORMAL, 10000, &result);
    settle();
}

POINT top_left_of(int row) {
    RECT r{};
    GetWindowRect(control(row), &r);
    return {r.left, r.top};
}

// Starts Sorvane.exe in the current folder and waits for its window.
PROCESS_INFORMATION start_window(const char* exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = std::string("\"") + exe + "\"";
    if (!CreateProcessA(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        give_up("Sorvane.exe cannot be started");
    program = process.hProcess;
    program_id = process.dwProcessId;
    WaitForInputIdle(process.hProcess, 20000);
    if (!wait_until([] {
            HWND w = FindWindowA(window_class_name, nullptr);
            DWORD id = 0;
            if (w) GetWindowThreadProcessId(w, &id);
            if (id == program_id) main_window = w;
            return main_window != nullptr;
        }, 30000))
        give_up("no window of class Sorvane");
    settle();
    return process;
}

// sorvane-cli.exe from beside Sorvane.exe, started on this folder to scan its standard input:
// it holds the folder until the pipe whose write end goes into input is closed.
PROCESS_INFORMATION start_holder(const char* exe, HANDLE& input) {
    std::string cli = exe;
    cli.replace(cli.rfind('\\') + 1, std::string::npos, "sorvane-cli.exe");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr;
    if (!CreatePipe(&read_end, &input, &inherit, 0)) give_up("no pipe");
    SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = read_end;
    HANDLE quiet = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = quiet;
    startup.hStdError = quiet;
    std::string command = "\"" + cli + "\" scan --add -";
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(cli.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        give_up("sorvane-cli.exe cannot be started");
    CloseHandle(read_end);
    CloseHandle(quiet);
    return process;
}

// Whether another process holds the lock on the folder's settings.
bool folder_is_held() {
    HANDLE file = CreateFileA("Sorvane.ini.lock", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED start{};
    const bool held = !LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start);
    if (!held) UnlockFileEx(file, 0, 1, 0, &start);
    CloseHandle(file);
    return held;
}

// Closing the window while a command line run holds the folder: the window asks in its
// language, and cancel keeps it open with nothing written.
void close_while_another_run_holds_the_folder(const char* exe, int language) {
    HANDLE input = nullptr;
    const PROCESS_INFORMATION holder = start_holder(exe, input);
    check(wait_until(folder_is_held, 20000), "sorvane-cli.exe holds the folder while it reads its standard input");
    const std::string before = read_file("Sorvane.ini");
    PostMessageA(main_window, WM_CLOSE, 0, 0);
    HWND box = nullptr;
    check(wait_until([&] { return (box = find_owned(main_window, "#32770")) != nullptr; }, 20000),
          "closing asks while another run holds the folder");
    if (box) {
        take_picture("window-busy.bmp", box);
        check(says(text_of(GetDlgItem(box, 0xFFFF)), message_folder_in_use_window, language),
              "the question says the folder is in use, in the window's language");
        press_in(box, IDCANCEL);
        wait_for_dialogs_to_close("the question stays");
    }
    check(IsWindow(main_window) && IsWindowVisible(main_window), "cancel keeps the window open");
    check(read_file("Sorvane.ini") == before, "nothing is written while the other run holds the folder");
    CloseHandle(input);
    DWORD code = 1;
    check(WaitForSingleObject(holder.hProcess, 20000) == WAIT_OBJECT_0 && GetExitCodeProcess(holder.hProcess, &code) &&
              code == 0,
          "the other run ends well");
    CloseHandle(holder.hThread);
    CloseHandle(holder.hProcess);
}

// Closes the window; true when the program ends with exit code 0.
bool close_window(const PROCESS_INFORMATION& process) {
    PostMessageA(main_window, WM_CLOSE, 0, 0);
    DWORD exit_code = 1;
    return WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &exit_code) &&
           exit_code == 0;
}

// Runs sorvane-cli.exe from beside Sorvane.exe on this folder with the arguments given; its
// exit code, or -1 when it cannot be run.
int run_cli(const char* exe, const std::string& arguments) {
    std::string cli = exe;
    cli.replace(cli.rfind('\\') + 1, std::string::npos, "sorvane-cli.exe");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + cli + "\" " + arguments;
    if (!CreateProcessA(cli.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -1;
    DWORD exit_code = 1;
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exit_code);
}

// An include file without its banner line, which holds the time of its generation.
std::string without_banner(const std::string& include) {
    const std::size_t end = include.find("\r\n", 82);
    return end == std::string::npos ? include : include.substr(0, 82) + include.substr(end);
}

// The generation's choices set on the command line: the window's generate button then writes
// the same include file and image.
void window_repeats_the_choices(const char* exe) {
    check(run_cli(exe, "generate Choices.inc --key unicode --image choices.bin") == 0, "sorvane-cli.exe sets the choices");
    const std::string include = read_file("Choices.inc"), image = read_file("choices.bin");
    DeleteFileA("choices.bin");
    const PROCESS_INFORMATION process = start_window(exe);
    const std::string offered = choose_in_dialog(generate_button, "Choices.inc", "no save dialog for the choices", true);
    wait_for_dialogs_to_close("the save dialog stays");
    check(offered == "Choices.inc", "the save dialog offers the command line's file (it offered \"%s\")", offered.c_str());
    check(!image.empty() && read_file("choices.bin") == image, "the window writes the command line's image");
    check(include.find("FONT_KEY") != std::string::npos && without_banner(read_file("Choices.inc")) == without_banner(include),
          "the window writes the command line's include file, keyed by Unicode");
    check(close_window(process), "the program ends with exit code 0 when its window closes");
}

// The first session with an unpacked release: its own fonts, nothing written beside them.
int bundled_session(const char* exe, const char* sample_path) {
    check(GetACP() == 932, "the ANSI code page is 932");
    const PROCESS_INFORMATION process = start_window(exe);
    choose_in_dialog(text_file_button, sample_path, "no open dialog");
    wait_for_dialogs_to_close("the open dialog stays");
    check(!text_of(control(detected_box)).empty(), "the sample's characters are detected");
    press(add_button);
    press(jiskan16_radio);
    choose_in_dialog(generate_button, "Font.inc", "no save dialog");
    wait_for_dialogs_to_close("the save dialog stays");
    check(find_owned(main_window, "#32770") == nullptr, "no error box: the bundled Sorvane.J16 is read");
    check(close_window(process), "the program ends with exit code 0 when its window closes");
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--bundled") == 0) return bundled_session(argv[2], argv[3]);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: sorvane-window-driver SORVANE_EXE SAMPLE_TEXT [FULL_DEVICE]\n"
                             "       sorvane-window-driver --bundled SORVANE_EXE SAMPLE_TEXT\n");
        return 2;
    }
    const char* full_device = argc == 4 ? argv[3] : nullptr;
    std::printf("ANSI code page %u\n", GetACP());
    check(GetACP() == 932, "the ANSI code page is 932");
    const std::string sample = read_file(argv[2]);
    check(!sample.empty(), "the sample text is there");
    write_file("Sorvane.J16", test_font_source());
    write_file("messages.txt", sample);
    const std::string typed = std::string("\x8a\xbf") + " \r\n" + "\x81\x40\x8a\xbf";  // 漢, 全角空白, 漢 typed by hand

    // Start the window in this folder, with no settings file: the first run.
    const PROCESS_INFORMATION process = start_window(argv[1]);
    char title[200] = "";
    GetWindowTextA(main_window, title, sizeof title);
    check(std::strcmp(title, window_title) == 0, "the title is the Shift_JIS title");
    check_labels(0, "Japanese");
    check(is_checked(k14_radio) && is_checked(output_sequence_radio) && is_checked(xc32_radio) &&
              !is_checked(jiskan16_radio) && !is_checked(cc_rh_radio),
          "a first run checks K14, V8xH8xVxH and XC32");
    check(text_of(control(detected_box)).empty() && text_of(control(registered_box)).empty(), "both lists start empty");

    // Scan the sample through the open dialog.
    choose_in_dialog(text_file_button, full_path("messages.txt"), "no open dialog");
    wait_for_dialogs_to_close("the open dialog stays");
    const std::string detected = text_of(control(detected_box));
    check(detected == normal_form(sample), "the upper box holds the sample's characters in normal form (%zu bytes)",
          detected.size());

    // Edit the lists: typed text is sorted, the detected list added and removed.
    SendMessageA(control(registered_box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    press(sort_button);
    check(text_of(control(registered_box)) == "\x81\x40\x8a\xbf", "Sort characters puts the typed text in normal form");
    press(add_button);
    const std::string registered = text_of(control(registered_box));
    check(registered == normal_form(sample + "\x81\x40\x8a\xbf"), "Add the above makes the union");
    check(text_of(control(detected_box)) == detected, "the detected list stays as it was");
    press(remove_button);
    check(text_of(control(registered_box)) == without(typed, sample), "Remove the above takes the sample's characters out");
    press(clear_all_button);
    check(text_of(control(registered_box)).empty(), "Clear all empties the lower box");
    press(add_button);
    check(text_of(control(registered_box)) == detected, "adding to an empty list gives the detected list");
    bool enabled = true;
    for (const int row : {int{text_file_button}, int{generate_button}, int{add_button}, int{clear_all_button}, int{sort_button}, int{detected_box}, int{registered_box}})
        enabled = enabled && IsWindowEnabled(control(row));
    check(enabled, "the busy lock is released after each command");

    // Radio buttons.
    press(jiskan16_radio);
    check(is_checked(jiskan16_radio) && !is_checked(k14_radio), "jiskan16 takes the check mark from K14");
    press(cc_rh_radio);
    check(is_checked(cc_rh_radio) && !is_checked(xc32_radio), "CC-RH takes the check mark from XC32");

    // Generate, accepting the name the save dialog offers.
    const std::string offered = choose_in_dialog(generate_button, "Font.inc", "no save dialog");
    wait_for_dialogs_to_close("the save dialog stays");
    check(offered == "Font.inc", "the save dialog offers Font.inc (it offered \"%s\")", offered.c_str());
    const std::string include_file = read_file("Font.inc");
    const std::size_t banner_end = include_file.find("\r\n", 82);
    const std::string banner_line = banner_end == std::string::npos ? "" : include_file.substr(82, banner_end - 82);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const std::string banner_head = " \x8a\xbf\x8e\x9a\x83\x74\x83\x48\x83\x93\x83\x67\x81\x45\x83\x66\x81\x5b\x83\x5e generated by Sorvane\t";
    check(banner_line.rfind(banner_head, 0) == 0 &&
              std::sscanf(banner_line.c_str() + banner_head.size(), "%4d/%2d/%2d  %2d:%2d:%2d", &year, &month, &day, &hour,
                          &minute, &second) == 6 &&
              banner_line.size() == banner_head.size() + 20,
          "the banner holds the date and time: %s", banner_line.c_str() + std::min(banner_line.size(), banner_head.size()));
    check(include_file == expected_include_file(detected, banner_line),
          "Font.inc is the jiskan16 CC-RH include file of the list, byte for byte (%zu bytes)", include_file.size());

    // A font with no source file: the error box, and still a whole include file.
    press(k14_radio);
    choose_in_dialog(generate_button, "Font14.inc", "no save dialog for K14");
    check(says(open_error_message("no Open error box for the missing Sorvane.K14"), message_cannot_open_input, 0),
          "the box says it cannot open the input file, in Japanese");
    check(read_file("Font14.inc").find("\r\n};\r\n\r\n") != std::string::npos, "the K14 include file is still written");
    press(jiskan16_radio);

    // A disk that is full: the output file cannot be created, and the device stays.
    std::string output = "Font14.inc";
    if (full_device) {
        choose_in_dialog(generate_button, full_device, "no save dialog for the full disk", true);
        check(says(open_error_message("no Open error box for the full disk"), message_cannot_create_output, 0),
              "a full disk shows that the output file cannot be created");
        output = full_device;
    }

    // Language, and a picture in each.
    take_picture("window-ja.bmp");
    press(language_button);
    check_labels(1, "English");
    check(text_of(control(detected_box)) == detected, "the boxes keep their content across the switch");
    take_picture("window-en.bmp");

    // Scrolling in a window smaller than the layout.
    HDC dc = GetDC(main_window);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(main_window, dc);
    const CellSize cell =
        measure_cell(metrics.tmAveCharWidth, metrics.tmHeight, metrics.tmExternalLeading, metrics.tmPitchAndFamily);
    SetWindowPos(main_window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    settle();
    const POINT home = top_left_of(text_file_button);
    scroll(WM_VSCROLL, SB_LINEDOWN);
    POINT now = top_left_of(text_file_button);
    check(now.y == home.y - cell.height && now.x == home.x, "one line down moves the layout up by one line (%ld)", home.y - now.y);
    scroll(WM_VSCROLL, SB_THUMBPOSITION);
    scroll(WM_VSCROLL, SB_ENDSCROLL);
    check(top_left_of(text_file_button).y == now.y, "thumb position and end of scroll move nothing");
    scroll(WM_HSCROLL, SB_LINERIGHT);
    now = top_left_of(text_file_button);
    check(now.x == home.x - cell.width, "one column right moves the layout left by one column (%ld)", home.x - now.x);
    scroll(WM_VSCROLL, SB_BOTTOM);
    SetWindowPos(main_window, nullptr, 0, 0, 1200, 900, SWP_NOMOVE | SWP_NOZORDER);
    settle();
    now = top_left_of(text_file_button);
    check(now.x == home.x && now.y == home.y, "a window larger than the layout pulls it back home");

    // The default size.
    press(default_size_button);
    RECT r{};
    GetWindowRect(main_window, &r);
    const PixelSize size = default_window_size(cell);
    check(r.right - r.left == size.width && r.bottom - r.top == size.height, "# gives the default size %dx%d (%ldx%ld)",
          size.width, size.height, r.right - r.left, r.bottom - r.top);

    close_while_another_run_holds_the_folder(argv[1], 1);

    // Close, and read what was saved.
    GetWindowRect(main_window, &r);
    check(close_window(process), "the program ends with exit code 0 when its window closes");

    const std::string ini = full_path("Sorvane.ini");
    std::string expected = "20\r\n1\r\n" + std::to_string(r.left) + "\r\n" + std::to_string(r.top) + "\r\n" +
                           std::to_string(r.right) + "\r\n" + std::to_string(r.bottom) + "\r\n0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n";
    KanjiGrid set{};
    parse_list(detected, set);
    int first = -1;
    int last = -1;
    for (int c = 0; c < grid_cells; ++c) {
        if (!set[static_cast<std::size_t>(c)]) continue;
        if (first < 0) first = c;
        last = c;
    }
    expected += std::to_string(count(set)) + "\r\n" + std::to_string(code_of(first)) + "\r\n" +
                std::to_string(code_of(last)) + "\r\n1\r\n" + (full_device ? "32" : "28") + "\r\n8836\r\n" + std::to_string(count(set)) + "\r\n1\r\n" +
                std::to_string(ini.size()) + "\r\n10\r\n\r\n";
    auto stored = [](std::string text) {
        for (char& c : text)
            if (c == '\n') c = '\x07';
        return text + "\r\n";
    };
    std::string font_path = ini;
    font_path.replace(font_path.size() - 3, 3, full_device ? "J16" : "K14");  // the last generation's font
    expected += stored(full_path("messages.txt")) + stored(full_path(output.c_str())) + stored(detected) + stored(detected) +
                stored(font_path) + "\r\n\r\n\r\n\r\n";
    const std::string saved = read_file("Sorvane.ini");
    check(saved == expected, "Sorvane.ini holds the state of the window, byte for byte (%zu bytes)", saved.size());
    if (saved != expected) write_file("Sorvane.ini.expected", expected);
    window_repeats_the_choices(argv[1]);

    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
