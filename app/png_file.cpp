#include "app/png_file.h"

#include <cerrno>
#include <cstdio>


#if defined(SORVANE_WITHOUT_PNG)

namespace sorvane {

int write_png(std::FILE*, const Picture&) {
    return ENOTSUP;  // built without stb_image_write
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
    int error;  // of the first write that failed
};

void write_to_file(void* context, void* data, int size) {
    auto* out = static_cast<Output*>(context);
    if (out->error == 0 && std::fwrite(data, 1, static_cast<std::size_t>(size), out->file) != static_cast<std::size_t>(size))
        out->error = errno != 0 ? errno : EIO;
}

}  // namespace

int write_png(std::FILE* file, const Picture& picture) {
    Output out{file, 0};
    const bool encoded = stbi_write_png_to_func(write_to_file, &out, picture.width, picture.height, 1, picture.gray.data(),
                                                picture.width) != 0;
    return out.error != 0 ? out.error : encoded ? 0 : ENOMEM;
}

}  // namespace sorvane

#endif
