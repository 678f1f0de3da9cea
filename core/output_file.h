// An output written whole or not at all.
#pragma once

#include <array>
#include <cstdio>

namespace sorvane {

// Where an output is written: a new file beside it, pushed to the disk and put in its place
// once it is complete, so that a write that fails, is killed half-way or meets a crash leaves
// the old file as it was. A link is followed, and its target takes the new file. A device or
// a FIFO, and a file in a folder where no other file can be made, are written directly.
class OutputFile {
public:
    static constexpr std::size_t path_capacity = 32768;

    // Opens the new file; file() is null, and error() says why, when it cannot.
    explicit OutputFile(const char* path);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // An output never finished is removed.
    ~OutputFile();

    std::FILE* file() const { return file_; }
    // The errno of the failure to open it, or 0.
    int error() const { return error_; }

    // Closes the file and, when it is complete, puts it in place; otherwise removes what was
    // written. Returns the errno of a failure (error when it is one, else EIO), or 0.
    int finish(bool complete, int error);

private:
    std::FILE* file_ = nullptr;
    int error_ = 0;
    std::array<char, path_capacity> target_{};          // the output, or a link's target
    std::array<char, path_capacity + 32> temporary_{};  // empty when written directly
};

}  // namespace sorvane
