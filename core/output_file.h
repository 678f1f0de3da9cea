// An output written whole or not at all.
#pragma once

#include <array>
#include <cstdio>

namespace sorvane {

// Where an output is written: a new file beside it, pushed to the disk and put in its place
// once it is complete, so that a write that fails, is killed half-way or meets a crash leaves
// the old file as it was. A link is followed, and its target takes the new file. A device or
// a FIFO, and a file in a folder where no other file can be made (no permission, a read-only
// file system), are written directly; any other failure to make the new file is an error.
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

    // finish in two steps, so that several outputs are all on the disk before any of them is
    // put in place: prepare pushes a complete file to the disk and closes it (else removes
    // it, as finish does), commit puts a prepared file in its place. A prepared file never
    // committed is removed.
    int prepare(bool complete, int error);
    int commit();

    // The file the output stands for: the path, or a link's target.
    const char* target() const { return target_.data(); }

private:
    std::FILE* file_ = nullptr;
    bool prepared_ = false;
    int error_ = 0;
    std::array<char, path_capacity> target_{};          // the output, or a link's target
    std::array<char, path_capacity + 32> temporary_{};  // empty when written directly
};

}  // namespace sorvane
