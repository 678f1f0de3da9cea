#include "cli/font_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/files.h"

#if defined(SORVANE_WITH_ZLIB)
#include <zlib.h>
#endif

namespace sorvane::cli {

bool read_font_file(const char* path, std::vector<std::uint8_t>& data, std::string& reason) {
    data.clear();
    if (is_special_file(path)) {
        reason = not_a_file_reason;
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    std::uint8_t magic[2] = {};
    const bool packed = std::fread(magic, 1, 2, file) == 2 && magic[0] == 0x1F && magic[1] == 0x8B;
    std::rewind(file);
    std::uint8_t block[1 << 16];
    bool ok = true;
    if (!packed) {
        for (std::size_t n; ok && (n = std::fread(block, 1, sizeof block, file)) > 0;) {
            data.insert(data.end(), block, block + n);
            ok = data.size() <= font_file_limit;
        }
        if (std::ferror(file)) reason = std::strerror(errno ? errno : EIO), ok = false;
        std::fclose(file);
    } else {
#if defined(SORVANE_WITH_ZLIB)
        std::fclose(file);
        gzFile gz = gzopen(path, "rb");
        if (!gz) {
            reason = "zlib cannot open it";
            return false;
        }
        for (int n; ok && (n = gzread(gz, block, sizeof block)) != 0;) {
            if (n < 0) {
                int code = 0;
                reason = std::string("it is damaged: ") + gzerror(gz, &code);
                ok = false;
                break;
            }
            data.insert(data.end(), block, block + n);
            ok = data.size() <= font_file_limit;
        }
        gzclose(gz);
#else
        std::fclose(file);
        reason = "it is packed with gzip, which this build does not unpack: gunzip it first";
        return false;
#endif
    }
    if (ok) return true;
    if (reason.empty()) reason = "it is larger than 256 MB, larger than any font";
    return false;
}

}  // namespace sorvane::cli
