// Font files read whole into memory, unpacked when gzip packed them (as Debian installs the
// X11 fonts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane::cli {

// The largest font file read: a TrueType collection of every CJK script stays well below.
inline constexpr std::size_t font_file_limit = 256u << 20;

// Reads the file at path, unpacked; false with a reason when it cannot.
bool read_font_file(const char* path, std::vector<std::uint8_t>& data, std::string& reason);

}  // namespace sorvane::cli
