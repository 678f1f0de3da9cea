// The commands of sorvane-cli; each returns its exit status.
#pragma once

#include "cli/cli.h"

namespace sorvane::cli {

// Commands on Sorvane.ini in the working directory, each pressing the window's button.
int scan_command(const Invocation& call);
int add_command(const Invocation& call);
int remove_command(const Invocation& call);
int sort_command(const Invocation& call);
int clear_command(const Invocation& call);
int clear_detected_command(const Invocation& call);
int generate_command(const Invocation& call);
int font_command(const Invocation& call);
int compiler_command(const Invocation& call);
int language_command(const Invocation& call);
int show_command(const Invocation& call);

// Commands on font files, without Sorvane.ini.
int import_font_command(const Invocation& call);  // import-font, and import-bdf as scripts know it
int preview_command(const Invocation& call);
int init_command(const Invocation& call);  // the installed font source files into a folder

// Loads Sorvane.ini, runs a command on the state and, if save, saves it again. A settings
// file that is there but cannot be read is an error, and then nothing runs or is saved.
int with_state(const Invocation& call, bool save, int (*command)(const Invocation&));

// True when SOURCE_DATE_EPOCH is unset or a decimal number of seconds.
bool check_source_date_epoch();

}  // namespace sorvane::cli

namespace sorvane::cli {

// The index of a choice command's operand among its choices (font, compiler, language).
int choice_of(const Invocation& call);

}  // namespace sorvane::cli
