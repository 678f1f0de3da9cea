#include "state/app_state.h"

#include <algorithm>
#include <cstring>

namespace sorvane {

std::array<std::int32_t, setting_count> settings{};
std::array<TextSlot, text_slot_count> text_slots{};

std::string_view text_of(int slot) {
    const TextSlot& t = text_slots[static_cast<std::size_t>(slot)];
    const void* nul = std::memchr(t.data(), '\0', t.size());
    const std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - t.data()) : t.size();
    return {t.data(), n};
}

void store_text(int slot, std::string_view text) {
    TextSlot& t = text_slots[static_cast<std::size_t>(slot)];
    const std::size_t n = std::min(text.size(), t.size() - 1);
    std::memmove(t.data(), text.data(), n);  // the text may be a view of this very slot
    t[n] = '\0';
}

void clear_state() {
    settings.fill(0);
    for (TextSlot& t : text_slots) t[0] = '\0';
}

}  // namespace sorvane
