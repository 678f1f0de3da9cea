#include "core/output_file.h"

#include <cerrno>

#include "core/files.h"

namespace sorvane {

OutputFile::OutputFile(const char* path) {
    if (!link_target(path, target_.data(), target_.size())) {
        errno = ENAMETOOLONG;
        return;
    }
    if (!is_special_file(target_.data())) file_ = create_beside(target_.data(), temporary_.data(), temporary_.size());
    if (!file_) {
        temporary_[0] = '\0';
        file_ = std::fopen(target_.data(), "wb");
    }
}

OutputFile::~OutputFile() {
    if (file_) finish(false, 0);
}

int OutputFile::finish(bool complete, int error) {
    if (std::fclose(file_) != 0) {
        error = errno;
        complete = false;
    }
    file_ = nullptr;
    const char* written = temporary_[0] != '\0' ? temporary_.data() : target_.data();
    if (complete && temporary_[0] != '\0' && !replace_file(temporary_.data(), target_.data())) {
        error = errno;
        complete = false;
    }
    if (complete) return 0;
    remove_plain_file(written);
    return error != 0 ? error : EIO;
}

}  // namespace sorvane
