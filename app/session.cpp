#include "app/session.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace sorvane {

Session run_on_settings(AppState& state, StateUse use, const std::function<void()>& command) {
    Session session;
    const bool save = use == StateUse::load_and_save;
    FileLock lock;
    const LoadResult loaded = load_settings(state, &session.damaged_line, save ? &lock : nullptr);
    session.loaded = loaded.outcome;
    session.load_error = loaded.error;
    switch (session.loaded) {
    case LoadOutcome::loaded:
    case LoadOutcome::missing: break;
    case LoadOutcome::damaged:
        if (save) return session;
        break;
    default: return session;
    }
    command();
    session.ran = true;
    if (!save) return session;
    const SaveResult saved = save_settings(state, nullptr);
    session.saved = saved.outcome == SaveOutcome::saved;
    session.save_error = saved.error;
    return session;
}

LoadOutcome look_at_settings(AppState& state) { return load_settings(state); }

namespace {

// A lock's trouble, with the error that says why: for lock_refused.
LockTrouble trouble_of(LoadOutcome outcome, int error) {
    return {outcome, outcome == LoadOutcome::lock_refused ? error : 0};
}

}  // namespace

StartReading load_at_start(AppState& state) {
    StartReading start;
    LoadOutcome loaded = LoadOutcome::busy;
    {
        FileLock lock;
        const LoadResult first = load_settings(state, nullptr, &lock);
        loaded = first.outcome;
        if (loaded == LoadOutcome::lock_not_a_file || loaded == LoadOutcome::lock_is_link ||
            loaded == LoadOutcome::lock_refused)
            start.lock = trouble_of(loaded, first.error);
    }
    if (loaded == LoadOutcome::busy || start.lock.any()) loaded = load_settings(state);
    start.may_save = loaded != LoadOutcome::unreadable && loaded != LoadOutcome::damaged && loaded != LoadOutcome::not_a_file;
    return start;
}

LockTrouble save_at_close(AppState& state, const WindowRect* window, const std::function<void()>& pull) {
    FileLock lock;
    const LockAttempt attempt = lock_settings(state, lock, settings_wait_ms);
    const LoadOutcome outcome = lock_outcome(attempt.result);
    if (outcome != LoadOutcome::loaded) return trouble_of(outcome, attempt.error);
    pull();
    save_settings(state, window);
    return {};
}

BannerClock banner_time(BannerTime& time) {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text) {
        time = local_time_now();
        return BannerClock::local;
    }
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 15 || std::strspn(text, "0123456789") != length) return BannerClock::not_a_number;
    const auto moment = static_cast<std::time_t>(std::atoll(text));
    const std::tm* t = std::gmtime(&moment);
    if (!t) return BannerClock::beyond_calendar;
    time = {t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, t->tm_hour, t->tm_min, t->tm_sec};
    return BannerClock::epoch;
}

}  // namespace sorvane
