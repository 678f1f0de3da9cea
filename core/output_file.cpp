#include "core/output_file.h"

#include <cerrno>
#include <string>

#include "core/files.h"

namespace sorvane {

OutputFile::OutputFile(const char* path) {
    if (!link_target(path, target_.data(), target_.size())) {
        error_ = ENAMETOOLONG;
        return;
    }
    if (!is_special_file(target_.data())) {
        file_ = create_beside(target_.data(), temporary_.data(), temporary_.size());
        if (!file_ && errno == ENAMETOOLONG) {
            // A name too long to take the new file's ending: the new file gets a short name in
            // the same folder (and the permissions of a new file).
            std::string shorter = target_.data();
            const std::size_t slash = shorter.find_last_of("/\\");
            shorter = (slash == std::string::npos ? std::string() : shorter.substr(0, slash + 1)) + "sorvane-output";
            file_ = create_beside(shorter.c_str(), temporary_.data(), temporary_.size());
        }
        // Only a folder that takes no new file is written directly: any other failure (a name
        // too long for the new file, a full disk) must not cost the old file its contents.
        if (!file_ && errno != EACCES && errno != EPERM && errno != EROFS) {
            error_ = errno != 0 ? errno : EIO;
            return;
        }
    }
    if (!file_) {
        temporary_[0] = '\0';
        file_ = std::fopen(target_.data(), "wb");
        if (!file_) error_ = errno != 0 ? errno : EIO;
    }
}

OutputFile::~OutputFile() {
    if (file_) finish(false, 0);
    if (prepared_ && temporary_[0] != '\0') remove_plain_file(temporary_.data());
}

int OutputFile::finish(bool complete, int error) {
    if (const int failed = prepare(complete, error)) return failed;
    return commit();
}

int OutputFile::prepare(bool complete, int error) {
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
    if (complete) {
        prepared_ = true;
        return 0;
    }
    remove_plain_file(beside ? temporary_.data() : target_.data());
    return error != 0 ? error : EIO;
}

int OutputFile::commit() {
    if (!prepared_) return EIO;
    prepared_ = false;
    if (temporary_[0] == '\0' || replace_file(temporary_.data(), target_.data())) return 0;
    const int error = errno;
    remove_plain_file(temporary_.data());
    return error != 0 ? error : EIO;
}

}  // namespace sorvane
