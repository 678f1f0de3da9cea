// Everything sorvane-cli says: results on stdout, diagnostics on stderr, each a message of the
// message table in the language of the state it is given. The command line's face is the
// commands' way to say what they did.
#pragma once

#include <string_view>

#include "app/face.h"
#include "app/session.h"

namespace sorvane::cli {

// "sorvane-cli: " and a usage error on stderr, in English, as the usage text is.
void complain_usage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The command line's face: every line on stdout or stderr, a Shift_JIS filler in the
// terminal's encoding; it holds the lists in the state and asks for no file.
class CommandLineFace final : public Face {
public:
    void say(const AppState& state, int message, Fillers fillers = {}) const override;
    void complain(const AppState& state, int message, Fillers fillers = {}) const override;
    void note(const AppState& state, int message, Fillers fillers = {}) const override;
    void complain_file(const AppState& state, int message, std::string_view path, int reason,
                       Fillers fillers = {}) const override;
    void complain_file(const AppState& state, int message, std::string_view path, std::string_view reason) const override;
    bool report(const AppState& state, const Outcome& outcome) const override;
};

// Says why the settings cycle could not run a command, or could not save; false then.
bool report_session(const AppState& state, const Face& face, const Session& session, bool save);

}  // namespace sorvane::cli
