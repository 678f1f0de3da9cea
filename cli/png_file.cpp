#include "cli/png_file.h"

#include <cerrno>
#include <cstdio>

#include "core/files.h"

#if defined(SORVANE_WITHOUT_PNG)

namespace sorvane {

bool write_png(const char*, const Picture&) {
    errno = ENOTSUP;  // built without stb_image_write
    return false;
}

}  // namespace sorvane

#else

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace sorvane {
namespace {

struct Output {
    std::FILE* file;
    bool failed;
};

void write_to_file(void* context, void* data, int size) {
    auto* out = static_cast<Output*>(context);
    if (!out->failed && std::fwrite(data, 1, static_cast<std::size_t>(size), out->file) != static_cast<std::size_t>(size))
        out->failed = true;
}

}  // namespace

bool write_png(const char* path, const Picture& picture) {
    Output out{std::fopen(path, "wb"), false};
    if (!out.file) return false;
    const bool encoded = stbi_write_png_to_func(write_to_file, &out, picture.width, picture.height, 1, picture.gray.data(),
                                                picture.width) != 0;
    const bool closed = std::fclose(out.file) == 0;
    if (encoded && closed && !out.failed) return true;
    remove_plain_file(path);
    return false;
}

}  // namespace sorvane

#endif
