// The commands of sorvane-cli; each works on the state it is given and returns its exit
// status.
#pragma once

#include "cli/cli.h"
#include "state/app_state.h"

namespace sorvane::cli {

// Commands on Sorvane.ini in the working directory, each pressing the window's button.
int scan_command(AppState& state, const Invocation& call);
int add_command(AppState& state, const Invocation& call);
int remove_command(AppState& state, const Invocation& call);
int sort_command(AppState& state, const Invocation& call);
int clear_command(AppState& state, const Invocation& call);
int clear_detected_command(AppState& state, const Invocation& call);
int generate_command(AppState& state, const Invocation& call);
int font_command(AppState& state, const Invocation& call);
int compiler_command(AppState& state, const Invocation& call);
int language_command(AppState& state, const Invocation& call);
int show_command(AppState& state, const Invocation& call);

// Commands on font files, without Sorvane.ini (its language and its path only).
int import_font_command(AppState& state, const Invocation& call);  // import-font, and import-bdf as scripts know it
int preview_command(AppState& state, const Invocation& call);
int init_command(AppState& state, const Invocation& call);  // the installed font source files into a folder

// Runs a command through the settings cycle of Sorvane.ini and says what went wrong with the
// file, if anything did.
int with_state(AppState& state, const Invocation& call, bool save, int (*command)(AppState&, const Invocation&));

// The index of a choice command's operand among its choices (font, compiler, language).
int choice_of(const Invocation& call);

}  // namespace sorvane::cli
