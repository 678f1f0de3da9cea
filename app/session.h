// What every command on a folder's state goes through: the settings cycle of Sorvane.ini,
// and the time a generation writes.
#pragma once

#include <functional>

#include "fontgen/include_writer.h"
#include "state/app_state.h"
#include "state/settings_file.h"

namespace sorvane {

// How a command meets Sorvane.ini.
enum class StateUse { none, load, load_and_save };

// What the settings cycle of one command came to.
struct Session {
    LoadOutcome loaded = LoadOutcome::loaded;
    int damaged_line = 0;  // the line of a damaged file's first 0x1A or NUL
    int load_error = 0;    // errno of a file that could not be read
    bool ran = false;      // the command ran
    bool saved = true;     // false when the save failed; the old file is then untouched
    int save_error = 0;
};

// Loads Sorvane.ini of the working directory into the state, runs the command and, for a
// command that saves, saves it again; that one keeps the folder locked from the reading to
// the saving, so that runs in one folder take their turns and none loses another's change.
// Nothing runs when the file cannot be used: no path, busy, a lock file that cannot be used,
// no file, unreadable, or damaged for a command that would save (saving would lose what
// stands after the damage).
Session run_on_settings(AppState& state, StateUse use, const std::function<void()>& command);

// Reads Sorvane.ini of the working directory without waiting for the folder, for a command
// that keeps no state: the folder's language and paths.
LoadOutcome look_at_settings(AppState& state);

// Why the lock of the settings file could not be had: busy, lock_not_a_file, lock_is_link or
// lock_refused (error is then errno); loaded when it was had, or when none is needed because
// no file can be made in its folder.
struct LockTrouble {
    LoadOutcome outcome = LoadOutcome::loaded;
    int error = 0;
    bool any() const { return outcome != LoadOutcome::loaded; }
};

// What a window's reading at its start came to.
struct StartReading {
    bool may_save = true;  // the file may be saved over at the end: not unreadable, damaged or no file
    LockTrouble lock;      // why the lock could not be had, other than another run (waited out)
};

// A window's reading at its start: the folder is locked only while the file is read, and a
// run that keeps it too long is waited out, after which the file is read as it stands
// (always whole). A lock that cannot be had for another reason is said, and the file is read
// as it stands too.
StartReading load_at_start(AppState& state);

// A window's save at its close, once no other run holds the folder, within the wait: pull
// brings the window's texts into the state first, under the lock. Nothing is written when
// the lock cannot be had (another run held it for the whole wait, or it cannot be opened);
// the trouble says why. A lock file that cannot be made where no file can be (a read-only
// folder) locks nothing, and the save goes on.
LockTrouble save_at_close(AppState& state, const WindowRect* window, const std::function<void()>& pull);

// Where the time of a generation's banner comes from.
enum class BannerClock {
    local,            // the local time
    epoch,            // SOURCE_DATE_EPOCH, in UTC: the same list gives the same bytes
    not_a_number,     // SOURCE_DATE_EPOCH is set, but not to a decimal number of seconds
    beyond_calendar,  // SOURCE_DATE_EPOCH is a number no calendar date has
};

// The time a generation writes into the banner, and where it came from; time is set for
// local and epoch.
BannerClock banner_time(BannerTime& time);

}  // namespace sorvane
