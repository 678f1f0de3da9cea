#include "app/encoded_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace sorvane {
namespace {

iconv_t converter_of(std::intptr_t handle) { return reinterpret_cast<iconv_t>(handle); }

constexpr std::intptr_t no_converter = -1;

// One code point into bytes of a target encoding through a converter made at the first use.
int encode(std::intptr_t& converter, const char* target, char32_t code_point, std::uint8_t bytes[2]) {
    if (converter == no_converter) converter = reinterpret_cast<std::intptr_t>(iconv_open(target, "UTF-32LE"));
    if (converter == no_converter) return 0;
    std::uint8_t in[4] = {static_cast<std::uint8_t>(code_point), static_cast<std::uint8_t>(code_point >> 8),
                          static_cast<std::uint8_t>(code_point >> 16), static_cast<std::uint8_t>(code_point >> 24)};
    char* from = reinterpret_cast<char*>(in);
    std::size_t from_left = sizeof in;
    char out[8];
    char* to = out;
    std::size_t to_left = sizeof out;
    iconv(converter_of(converter), nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter_of(converter), &from, &from_left, &to, &to_left) == static_cast<std::size_t>(-1)) return 0;
    const auto n = static_cast<int>(to - out);
    if (n < 1 || n > 2) return 0;
    std::memcpy(bytes, out, static_cast<std::size_t>(n));
    return n;
}

}  // namespace

Decoder::Decoder(const char* encoding)
    : decoder_(reinterpret_cast<std::intptr_t>(iconv_open("UTF-32LE", encoding))) {}

Decoder::~Decoder() {
    for (const std::intptr_t c : {decoder_, to_cp932_, to_jis_})
        if (c != no_converter) iconv_close(converter_of(c));
}

bool Decoder::known() const { return decoder_ != no_converter; }

long Decoder::decode(const std::uint8_t* in, std::size_t size, bool at_end, char32_t* out, std::size_t capacity,
                     std::size_t& used) {
    char* from = const_cast<char*>(reinterpret_cast<const char*>(in));
    std::size_t from_left = size;
    char* to = reinterpret_cast<char*>(out);
    std::size_t to_left = capacity * sizeof(char32_t);
    const std::size_t result = iconv(converter_of(decoder_), &from, &from_left, &to, &to_left);
    used = size - from_left;
    const auto count = static_cast<long>((capacity * sizeof(char32_t) - to_left) / sizeof(char32_t));
    if (result == static_cast<std::size_t>(-1)) {
        // EINVAL: a character cut by the end of the block, whole once more bytes come.
        if (errno == EILSEQ || (errno == EINVAL && at_end)) {
            if (count > 0) return count;  // what came before the bad bytes first
            return -1;
        }
    }
    return count;
}

int Decoder::look_up(char32_t code_point, std::uint8_t bytes[2]) {
    // Code page 932 first, as Windows writes Shift_JIS; JIS X 0208's own table for the few
    // characters it maps otherwise (the wave dash, the double vertical line, ...).
    const int n = encode(to_cp932_, "CP932", code_point, bytes);
    return n != 0 ? n : encode(to_jis_, "SHIFT_JIS", code_point, bytes);
}

std::FILE* open_input(const char* path) {
    if (std::strcmp(path, "-") == 0) return stdin;
    return std::fopen(path, "rb");
}

}  // namespace sorvane
