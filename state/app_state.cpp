#include "state/app_state.h"

#include <algorithm>
#include <cstring>

namespace sorvane {

std::string_view AppState::text(int slot) const {
    const TextSlot& t = text_slots[static_cast<std::size_t>(slot)];
    const void* nul = std::memchr(t.data(), '\0', t.size());
    const std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - t.data()) : t.size();
    return {t.data(), n};
}

void AppState::store_text(int slot, std::string_view text) {
    TextSlot& t = text_slots[static_cast<std::size_t>(slot)];
    const std::size_t n = std::min(text.size(), t.size() - 1);
    std::memmove(t.data(), text.data(), n);
    t[n] = '\0';
}

void AppState::clear() {
    settings.fill(0);
    for (TextSlot& t : text_slots) t[0] = '\0';
}

}  // namespace sorvane
