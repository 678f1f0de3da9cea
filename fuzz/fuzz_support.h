// What the fuzz targets share: the fuzzer's bytes as an open file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace sorvane::fuzzing {

// The bytes as a file open for reading; closes itself.
struct MemoryFile {
    MemoryFile(const std::uint8_t* data, std::size_t size)
        : file(size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : std::fopen("/dev/null", "rb")) {}
    ~MemoryFile() {
        if (file) std::fclose(file);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::FILE* file;
};

}  // namespace sorvane::fuzzing
