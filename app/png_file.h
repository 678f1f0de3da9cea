// PNG files of gray pictures, through stb_image_write.
#pragma once

#include <cstdio>

#include "fontgen/preview.h"

namespace sorvane {

// Writes the picture as an 8-bit gray PNG file into a file open for writing; 0 when all of
// it reached the file's buffer, else the errno of what failed.
int write_png(std::FILE* file, const Picture& picture);

}  // namespace sorvane
