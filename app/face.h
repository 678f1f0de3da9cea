// What a face lends the commands: how it holds the list texts, how it says what a command
// did, and how it gets a file. The command line says everything in words on its streams; the
// window shows the open errors in a message box and has no other words.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "app/commands.h"
#include "fontgen/include_writer.h"
#include "state/app_state.h"

namespace sorvane {

// A value a message fills in for one of its %1 to %9: a path or a word as it is, a number,
// or a Shift_JIS text (a list, a character), which a face shows in its own encoding.
struct Filler {
    Filler(std::string_view s) : text(s) {}
    Filler(const char* s) : text(s ? s : "") {}
    Filler(const std::string& s) : text(s) {}
    Filler(int n) : text(std::to_string(n)) {}
    Filler(long n) : text(std::to_string(n)) {}
    Filler(long long n) : text(std::to_string(n)) {}
    Filler(std::size_t n) : text(std::to_string(n)) {}
    static Filler shift_jis_text(std::string_view s) {
        Filler f(s);
        f.shift_jis = true;
        return f;
    }
    std::string text;
    bool shift_jis = false;
};

using Fillers = std::initializer_list<Filler>;

// Which file dialog a command's button opens in the window.
enum class Dialog { none, open, save };

class Face : public ListHolder {
public:
    // A line of a report, in the state's language.
    virtual void say(const AppState&, int /*message*/, Fillers = {}) const {}
    // A warning or a failure in words, and a line that goes on from it.
    virtual void complain(const AppState&, int /*message*/, Fillers = {}) const {}
    virtual void note(const AppState&, int /*message*/, Fillers = {}) const {}
    // A failure about a file: "message (path: reason)"; the reason is a message of the table
    // filled in, or the system's words as they are.
    virtual void complain_file(const AppState&, int /*message*/, std::string_view /*path*/, int /*reason*/,
                               Fillers = {}) const {}
    virtual void complain_file(const AppState&, int /*message*/, std::string_view /*path*/,
                               std::string_view /*reason*/) const {}
    // A failure of a command, as its outcome says; false for a failure.
    virtual bool report(const AppState&, const Outcome& outcome) const { return outcome.ok(); }
    // Offers path (capacity bytes, filled with the last path) in the dialog of a button's row;
    // false when cancelled.
    virtual bool choose_file(int /*row*/, Dialog, char* /*path*/, std::size_t /*capacity*/) const { return false; }
    // The time a generation writes into the banner.
    virtual BannerTime now() const { return local_time_now(); }
};

}  // namespace sorvane
