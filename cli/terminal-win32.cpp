#include "cli/terminal.h"

#include <io.h>
#include <windows.h>

namespace sorvane {

void print_sjis(std::FILE* stream, std::string_view sjis) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (sjis.empty() || !GetConsoleMode(handle, &mode)) {
        // Redirected output keeps the program's own encoding.
        std::fwrite(sjis.data(), 1, sjis.size(), stream);
        return;
    }
    // The console shows UTF-16 whatever its code page.
    std::fflush(stream);
    wchar_t wide[4096];
    while (!sjis.empty()) {
        // A piece of at most 2048 bytes that does not split a two-byte character.
        std::size_t n = 0;
        while (n < sjis.size() && n < 2048) {
            const auto b = static_cast<unsigned char>(sjis[n]);
            n += (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
        }
        if (n > sjis.size()) n = sjis.size();
        const int count = MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(n), wide, 4096);
        DWORD written = 0;
        WriteConsoleW(handle, wide, static_cast<DWORD>(count), &written, nullptr);
        sjis.remove_prefix(n);
    }
}

}  // namespace sorvane
