// The commands on font files, which keep no state of their own: the settings file gives
// them its language and its path, which they never write.
#pragma once

#include "app/command_table.h"

namespace sorvane {

// Copies the installed font source files into a folder, DIR or the working one, made when it
// is not there; a file already there is left as it is.
Outcome init_command(AppState& state, const Request& request);

// import-font, and import-bdf as scripts know it: a font source file from a font.
Outcome import_font_command(AppState& state, const Request& request);

// A PNG picture of an include file's glyphs, a font source file's grid or a message.
Outcome preview_command(AppState& state, const Request& request);

// An outcome the face has already said.
inline Outcome said() { return {message_said}; }

// The character of a cell and its code, on a line of its own: "  字 (0x8e9a)".
void note_character(const AppState& state, const Face& face, int cell);

}  // namespace sorvane
