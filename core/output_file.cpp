#include "core/output_file.h"

#include <cerrno>

#include "core/files.h"

namespace sorvane {

OutputFile::OutputFile(const char* path) {
    if (!link_target(path, target_.data(), target_.size())) {
        error_ = ENAMETOOLONG;
        return;
    }
    if (!is_special_file(target_.data())) file_ = create_beside(target_.data(), temporary_.data(), temporary_.size());
    if (!file_) {
        temporary_[0] = '\0';
        file_ = std::fopen(target_.data(), "wb");
        if (!file_) error_ = errno != 0 ? errno : EIO;
    }
}

OutputFile::~OutputFile() {
    if (file_) finish(false, 0);
}

int OutputFile::finish(bool complete, int error) {
    const bool beside = temporary_[0] != '\0';
    // As the settings file is saved: the data on the disk before the name points at it.
    if (complete && beside && !sync_to_disk(file_)) {
        error = errno;
        complete = false;
    }
    if (std::fclose(file_) != 0 && complete) {
        error = errno;
        complete = false;
    }
    file_ = nullptr;
    const char* written = beside ? temporary_.data() : target_.data();
    if (complete && beside && !replace_file(temporary_.data(), target_.data())) {
        error = errno;
        complete = false;
    }
    if (complete) return 0;
    remove_plain_file(written);
    return error != 0 ? error : EIO;
}

}  // namespace sorvane
