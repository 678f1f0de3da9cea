// "plan": the bytes each way of generating the registered list would write, before a build
// meets its budget. The figures are the sizes generate writes: the include file's tables as
// its object holds them, and the image's bytes.
#pragma once

#include <vector>

#include "app/commands.h"

namespace sorvane {

// One way of generating: which output, glyphs raw or compressed, which half-width glyphs,
// whether the characters carry the other key, and the bytes it takes.
struct PlanWay {
    bool image = false;       // the image; else the include file's tables
    bool compressed = false;  // asked for: a set that would not pay is counted raw, as written
    IncludeLayout layout;     // its half-width glyphs and key (says_key: the other key's table)
    long long bytes = 0;
    bool kept = false;        // what a plain generate writes with the kept choices
};

struct Plan {
    Outcome font;        // success, or the font source file could not be read
    int count = 0;       // the registered characters
    bool half_read = false;  // the half-width glyphs could be read: the ways with them are counted
    std::vector<PlanWay> ways;
};

// The ways of the registered list in the chosen font, after the kept choices: include file
// and image, raw and compressed, with the kept half-width glyphs (all when none are kept) and
// without, and with and without the other key where half-width glyphs leave that a choice. The
// registered list is brought into normal form and the font source read into the glyph store,
// as generate does.
Plan plan_generation(AppState& state, const ListHolder& lists = ListHolder{});

}  // namespace sorvane
