// The message table: every message the faces show exists in both languages, and each
// language fills in the same values.
#include <gtest/gtest.h>

#include <bitset>
#include <cstdint>
#include <string_view>

#include "app/messages.h"

namespace sorvane {
namespace {

// The places %1 to %9 of a text; a '%' is never the second byte of a Shift_JIS character.
std::bitset<10> places_of(std::string_view text) {
    std::bitset<10> places;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') places.set(static_cast<std::size_t>(text[i + 1] - '0'));
    return places;
}

// Whether a text is whole Shift_JIS: every lead byte has its trail byte.
bool is_whole_shift_jis(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            if (++i >= text.size()) return false;
            const auto t = static_cast<unsigned char>(text[i]);
            if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
        }
    }
    return true;
}

// The texts that read the same in both languages: the listing of show, whose field names
// scripts read, and the lines of lists.
bool is_the_same_in_both(int message) {
    return (message >= message_list_line && message <= message_listed_settings_file) || message == message_place_reason ||
           (message >= message_listed_half_width && message <= message_listed_name) || message == message_listed_compress;
}

TEST(Messages, EveryMessageInBothLanguagesWithTheSamePlaces) {
    for (int message = message_cannot_open_input; message < message_count; ++message) {
        const std::string_view japanese = message_text(message, 0);
        const std::string_view english = message_text(message, 1);
        if (japanese.empty() && english.empty()) continue;  // numbers the table leaves free
        EXPECT_FALSE(japanese.empty()) << message;
        EXPECT_FALSE(english.empty()) << message;
        if (is_the_same_in_both(message)) EXPECT_EQ(japanese, english) << message;
        else EXPECT_NE(japanese, english) << message << " is not translated";
        EXPECT_EQ(places_of(japanese), places_of(english)) << message << ": " << english;
        EXPECT_TRUE(is_whole_shift_jis(japanese)) << message;
    }
}

// The Japanese texts of messages 0 to 112, written as Shift_JIS escapes until they were written
// in UTF-8 and converted by the compiler, hold the same bytes as then (FNV-1a of each text and
// its NUL, one after the other).
TEST(Messages, JapaneseBytesAreThoseOfTheEscapedTable) {
    std::uint64_t hash = 14695981039346656037u;
    for (int message = 0; message <= message_drew_text_cut; ++message) {
        const std::string_view text = message_text(message, 0);
        for (std::size_t i = 0; i <= text.size(); ++i) hash = (hash ^ static_cast<unsigned char>(text.data()[i])) * 1099511628211u;
    }
    EXPECT_EQ(hash, 0xbf8b76ca0fad045du);
}

}  // namespace
}  // namespace sorvane
