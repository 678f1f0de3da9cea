// The main window: one Win32 window whose every item comes from the control table. Clicks
// go to the shared commands; this file only lends them the window's face.
#include <windows.h>
#include <commdlg.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/messages.h"
#include "app/session.h"
#include "ui/commands.h"
#include "ui/control_table.h"
#include "ui/layout.h"

namespace sorvane {
namespace {

HINSTANCE instance;
HWND main_window;
std::array<HWND, control_row_count> control_windows{};  // null for rows without a control
CellSize cell{8, 16};
int scroll_x = 0;  // in columns, never positive
int scroll_y = 0;  // in lines, never positive
bool settings_unreadable = false;  // unreadable or damaged: then the file is left alone at exit

constexpr std::size_t dialog_path_capacity = 1010;
constexpr DWORD main_window_style = WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL;

HWND control(int row) { return control_windows[static_cast<std::size_t>(row)]; }

const ControlRow& row_of(int row) { return control_table[static_cast<std::size_t>(row)]; }

// The program's one state, made in WinMain and handed to the window as it is created.
AppState& state_of(HWND window) { return *reinterpret_cast<AppState*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

// The window's face, lent to the commands and the lists.

void set_box_text(int row, const char* text) {
    if (control(row)) SetWindowTextA(control(row), text);
}

bool choose_file(bool save, char* path, std::size_t capacity) {
    std::array<char, dialog_path_capacity> file{};
    std::array<char, 63> title{};
    // A stored path too long for the dialog is not offered cut short: the dialog starts empty.
    const std::size_t length = std::strlen(path);
    if (length < file.size()) std::memcpy(file.data(), path, length + 1);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = main_window;
    dialog.lpstrFilter = "*.*\0\0";  // one entry named *.* with no pattern
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrFileTitle = title.data();
    dialog.nMaxFileTitle = static_cast<DWORD>(title.size());
    dialog.Flags = OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog))) return false;
    file.back() = '\0';
    const std::size_t chosen = std::strlen(file.data());
    if (chosen >= capacity) return false;
    std::memcpy(path, file.data(), chosen + 1);
    return true;
}

void show_open_error(int message, int language) {
    MessageBoxA(main_window, message_text(message, language), open_error_caption, MB_OK);
}

void pull_texts(AppState& state) {
    for (int row = 0; row < control_row_count; ++row) {
        const ControlRow& r = row_of(row);
        if (r.type != edit_box || !control(row)) continue;
        StoredText* text = shown_text(state, r.slot);
        if (!text) continue;
        TextSlot& slot = text->bytes;
        const int length = GetWindowTextA(control(row), slot.data(), static_cast<int>(slot.size()));
        slot[static_cast<std::size_t>(length > 0 ? length : 0)] = '\0';
    }
}

void set_enabled(int row, bool enabled) {
    if (control(row)) EnableWindow(control(row), enabled);
}

void set_checked(int row, bool checked) {
    if (control(row)) SendMessageA(control(row), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void set_label(int row, const char* label) {
    if (control(row) && label) SendMessageA(control(row), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(label));
}

void resize_to_default() {
    const PixelSize size = default_window_size(cell);
    SetWindowPos(main_window, HWND_TOP, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOOWNERZORDER);
}

void repaint() { InvalidateRect(main_window, nullptr, TRUE); }

// The face the window lends the commands: its controls, found through its handles.
class Win32Face final : public WindowFace {
public:
    bool choose_file(int, bool save, char* path, std::size_t capacity) override {
        return sorvane::choose_file(save, path, capacity);
    }
    void show_open_error(int message, int language) override { sorvane::show_open_error(message, language); }
    void pull_texts(AppState& state) override { sorvane::pull_texts(state); }
    void set_box_text(int row, const char* text) override { sorvane::set_box_text(row, text); }
    void set_enabled(int row, bool enabled) override { sorvane::set_enabled(row, enabled); }
    void set_checked(int row, bool checked) override { sorvane::set_checked(row, checked); }
    void set_label(int row, const char* label) override { sorvane::set_label(row, label); }
    void resize_to_default() override { sorvane::resize_to_default(); }
    void repaint() override { sorvane::repaint(); }
};

// The window's messages, each in a handler of its own.

const char* class_of(std::int32_t type) {
    if (type >= push_button && type <= group_box) return "button";
    if (type >= static_label && type <= static_hex) return "static";
    if (type == edit_box) return "edit";
    return nullptr;
}

void create_control(const AppState& state, HWND window, int row) {
    const ControlRow& r = row_of(row);
    const char* window_class = class_of(r.type);
    if (!window_class) return;
    const PixelRect p = layout_rect(r, cell, scroll_x, scroll_y);
    HWND child = CreateWindowExA(0, window_class, " ", static_cast<DWORD>(r.style), p.left, p.top, p.right - p.left,
                                 p.bottom - p.top, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row)), instance,
                                 nullptr);
    control_windows[static_cast<std::size_t>(row)] = child;
    if (!child) return;
    char number[50];
    const std::int32_t value = shown_number(state, r.slot).value_or(0);
    const StoredText* text = shown_text(state, r.slot);
    switch (r.type) {
    case radio_button:
        if (value == row - r.group_base) set_checked(row, true);
        break;
    case check_box:
        if (value != 0) set_checked(row, true);
        break;
    case static_text:
    case edit_box: SetWindowTextA(child, text ? text->c_str() : ""); break;
    case static_decimal:
        std::snprintf(number, sizeof number, "%d", value);
        SetWindowTextA(child, number);
        break;
    case static_hex:
        std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(value));
        SetWindowTextA(child, number);
        break;
    default: break;
    }
    if (r.type != radio_button && r.group_base == 2) EnableWindow(child, FALSE);
}

// Says in a box why the lock of the folder could not be had: the message, then, unless another
// run held it, the lock file and the reason. The button the user chose.
int show_lock_trouble(const AppState& state, int message, const LockTrouble& trouble, UINT buttons) {
    std::string text = message_text(message, state.language());
    if (trouble.outcome != LoadOutcome::busy) {
        const int reason = trouble.outcome == LoadOutcome::lock_is_link ? message_lock_is_link : message_not_a_file;
        text = text + "\r\n\r\n" + settings_lock_path(state).data() + ": " +
               (trouble.outcome == LoadOutcome::lock_refused ? std::strerror(trouble.error) : message_text(reason, state.language()));
    }
    return MessageBoxA(main_window, text.c_str(), window_title, buttons | MB_ICONWARNING);
}

void on_create(HWND window, AppState& state) {
    main_window = window;
    HDC dc = GetDC(window);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(window, dc);
    cell = measure_cell(metrics.tmAveCharWidth, metrics.tmHeight, metrics.tmExternalLeading, metrics.tmPitchAndFamily);
    if (cell.width <= 0 || cell.height <= 0) cell = {8, 16};  // no font metrics: keep the layout usable

    const StartReading start = load_at_start(state);
    settings_unreadable = !start.may_save;
    for (int row = 0; row < control_row_count; ++row) create_control(state, window, row);
    Win32Face face;
    relabel(state, face);
    if (start.lock.any()) show_lock_trouble(state, message_lock_refused_at_start, start.lock, MB_OK);

    const WindowPlace& place = state.window;
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    if (width > 5 && height > 5) MoveWindow(window, place.left, place.top, width, height, TRUE);
}

// Saves the window's state before it closes, while no other run holds the folder: another
// run is waited for, and past the wait the user chooses to retry or to cancel, which keeps
// the window open with everything it shows. False when the window is to stay.
bool save_before_closing(AppState& state) {
    if (state.ini_path[0] == '\0' || settings_unreadable) return true;
    for (;;) {
        RECT r{};
        const bool have_rect = GetWindowRect(main_window, &r);
        const WindowRect rect{r.left, r.top, r.right, r.bottom};
        const LockTrouble trouble = save_at_close(state, have_rect ? &rect : nullptr, [&state] { pull_texts(state); });
        if (!trouble.any()) return true;
        const int message = trouble.outcome == LoadOutcome::busy ? message_folder_in_use_window : message_lock_refused_at_close;
        if (show_lock_trouble(state, message, trouble, MB_RETRYCANCEL) != IDRETRY) return false;
    }
}

void on_close(HWND window) {
    if (save_before_closing(state_of(window))) DestroyWindow(window);
}

void on_size(HWND window, int width, int height) {
    const int columns = width / cell.width;
    const int lines = height / cell.height;
    const int down = scroll_back_amount(scroll_y, lines, layout_lines);
    if (down != 0) {
        ScrollWindow(window, 0, down * cell.height, nullptr, nullptr);
        scroll_y += down;
    }
    const int right = scroll_back_amount(scroll_x, columns, layout_columns);
    if (right != 0) {
        ScrollWindow(window, right * cell.width, 0, nullptr, nullptr);
        scroll_x += right;
    }
    if (down != 0 || right != 0) InvalidateRect(window, nullptr, TRUE);

    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    bar.nMin = 0;
    bar.nMax = layout_lines;
    bar.nPage = static_cast<UINT>(lines);
    SetScrollInfo(window, SB_VERT, &bar, TRUE);
    bar.nMax = layout_columns;
    bar.nPage = static_cast<UINT>(columns);
    SetScrollInfo(window, SB_HORZ, &bar, TRUE);
}

void on_paint(HWND window) {
    const AppState& state = state_of(window);
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    for (int row = 0; row < control_row_count; ++row) {
        const ControlRow& r = row_of(row);
        if (!is_painted(r)) continue;
        const PixelRect p = layout_rect(r, cell, scroll_x, scroll_y);
        if (p.left < 0) continue;  // an item scrolled out to the left, even in part, is not drawn
        RECT rect{p.left, p.top, p.right, p.bottom};
        char number[50];
        const auto format = static_cast<UINT>(r.style);
        switch (r.type) {
        case painted_label:
            if (const char* label = label_of(row, state.language())) DrawTextA(dc, label, -1, &rect, format);
            break;
        case painted_text:
            if (const StoredText* text = shown_text(state, r.slot)) DrawTextA(dc, text->c_str(), -1, &rect, format);
            break;
        case painted_decimal:
            std::snprintf(number, sizeof number, "%d", shown_number(state, r.slot).value_or(0));
            DrawTextA(dc, number, -1, &rect, format);
            break;
        case painted_hex:
            std::snprintf(number, sizeof number, "%#x", static_cast<unsigned>(shown_number(state, r.slot).value_or(0)));
            DrawTextA(dc, number, -1, &rect, format);
            break;
        case painted_edge: DrawEdge(dc, &rect, format, static_cast<UINT>(r.group_base)); break;
        default: break;
        }
    }
    EndPaint(window, &paint);
}

void on_scroll(HWND window, int bar_kind, int request) {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    GetScrollInfo(window, bar_kind, &bar);
    const int old_position = bar.nPos;
    bar.fMask = SIF_POS;
    bar.nPos = requested_position(request, old_position, static_cast<int>(bar.nPage), bar.nTrackPos, bar.nMin, bar.nMax);
    SetScrollInfo(window, bar_kind, &bar, TRUE);
    GetScrollInfo(window, bar_kind, &bar);
    if (bar.nPos == old_position) return;

    if (bar_kind == SB_VERT) {
        const int d = scroll_amount(old_position, bar.nPos, scroll_y);
        ScrollWindow(window, 0, d * cell.height, nullptr, nullptr);
        scroll_y += d;
        UpdateWindow(window);
    } else {
        const int d = scroll_amount(old_position, bar.nPos, scroll_x);
        ScrollWindow(window, d * cell.width, 0, nullptr, nullptr);
        scroll_x += d;
        InvalidateRect(window, nullptr, TRUE);
    }
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_NCCREATE:
        // The state WinMain made comes with the window's creation, before any other message.
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams));
        return DefWindowProcA(window, message, w, l);
    case WM_CREATE: on_create(window, state_of(window)); return 0;
    case WM_CLOSE: on_close(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE: on_size(window, LOWORD(l), HIWORD(l)); return 0;
    case WM_PAINT: on_paint(window); return 0;
    case WM_COMMAND: {
        Win32Face face;
        dispatch(state_of(window), face, static_cast<std::uint32_t>(w));
        return 0;
    }
    case WM_HSCROLL: on_scroll(window, SB_HORZ, LOWORD(w)); return 0;
    case WM_VSCROLL: on_scroll(window, SB_VERT, LOWORD(w)); return 0;
    default: return DefWindowProcA(window, message, w, l);
    }
}

}  // namespace
}  // namespace sorvane

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace sorvane;
    sorvane::instance = instance;
    WNDCLASSA window_class{};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = window_class_name;
    if (!RegisterClassA(&window_class)) {
        MessageBoxA(nullptr, class_error_text, window_class_name, MB_ICONERROR);
        return 0;
    }
    // The one state of the program, handed to the window as it is created.
    static AppState state;
    HWND window = CreateWindowExA(0, window_class_name, window_title, main_window_style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, &state);
    // Without a window there would be nothing to wait for in the message loop.
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
