// PNG files of gray pictures, through stb_image_write.
#pragma once

#include "fontgen/preview.h"

namespace sorvane {

// Writes the picture as an 8-bit gray PNG file; true when all of it reached the file. A
// file cut short is removed.
bool write_png(const char* path, const Picture& picture);

}  // namespace sorvane
