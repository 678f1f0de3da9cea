// The include file: the registered characters' Shift_JIS codes and glyph bitmaps as C tables,
// for the XC32 or the CC-RH compiler.
#pragma once

#include "core/text_stream.h"
#include "fontgen/font_source.h"

namespace sorvane {

struct BannerTime {
    int year, month, day, hour, minute, second;
};

// The clock of the banner; a front end replaces it to write reproducible files.
extern BannerTime (*banner_clock)();

// The local date and time, the clock of a normal run.
BannerTime local_time_now();

struct Generation {
    FontSourceLoad font;  // what the font source step read
    bool written = false;  // every byte was handed to the file and flushed
};

// Brings the registered list into normal form, reads the font source of font_kind (calling
// font_open_error when it cannot be opened, and going on all the same), sets the slots of
// the last generation and writes the complete include file.
Generation write_include_file(TextWriter& out, void (*font_open_error)());

}  // namespace sorvane
