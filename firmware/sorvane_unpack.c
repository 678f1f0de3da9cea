/* The decoder of a compressed glyph: see sorvane_unpack.h. Its state is a few bytes: the
 * coder's range and code, where it is in the bytes, the context, and the two rows above, read
 * back from the cell it fills. Every value but the rows stays within 16 bits, so that a
 * 16-bit int gives the same dots as a 32-bit one. */
#include "sorvane_unpack.h"

#define MODEL_BYTE(p) ((unsigned)(unsigned char)SORVANE_READ_BYTE(p))

/* Bit `at` of the bytes, the top bit of a byte first; zero past their end. */
static unsigned bit_at(const unsigned char *bytes, unsigned length, unsigned at) {
    return at >> 3 < length ? (unsigned)bytes[at >> 3] >> (~at & 7u) & 1u : 0u;
}

int sorvane_unpack(const SORVANE_FLASH_SPACE unsigned char *model, const unsigned char *bytes, unsigned length,
                   unsigned char *cell, int width, int height, int band) {
    unsigned bits, full, ahead1, ahead2, lead, shift1, shift2, keep, range, code, at, context, dot, bound, acc, mask;
    unsigned long above1, above2, row, up1, up2;
    int x, r, in_band;
    unsigned char *out, *start;

    if ((unsigned)width - 1u > 31u || band < 1) return SORVANE_ERR_INVAL;
    bits = MODEL_BYTE(model);
    ahead1 = bits >> 4 & 3u;
    ahead2 = bits >> 6;
    full = (1u << (bits & 15u)) - 1u;
    shift1 = MODEL_BYTE(model + 1);
    shift2 = shift1 >> 4;
    shift1 &= 15u;
    keep = full & ~(1u | 1u << shift1 | 1u << shift2);
    lead = ahead1 > ahead2 ? ahead1 : ahead2;

    range = 0xFFFFu;
    code = (length > 0 ? (unsigned)bytes[0] << 8 : 0u) | (length > 1 ? bytes[1] : 0u);
    at = 16;

    above1 = above2 = 0;
    in_band = 0;
    start = cell;
    for (r = 0; r < height; ++r) {
        /* a row's dot x is fed to the context at the step of dot x - ahead; a model without
         * the row two above puts it past its context, where full drops it */
        up1 = above1 << (lead - ahead1) & 0xFFFFFFFFul;
        up2 = above2 << (lead - ahead2) & 0xFFFFFFFFul;
        context = dot = acc = 0;
        row = 0;
        mask = 1;
        out = start;
        for (x = -(int)lead; x < width; ++x) {
            context = ((context << 1 & keep) | ((unsigned)up2 & 1u) << shift2 | ((unsigned)up1 & 1u) << shift1 | dot) & full;
            up1 >>= 1;
            up2 >>= 1;
            if (x < 0) continue;
            bound = (range >> 8) * MODEL_BYTE(model + 2 + context);
            dot = code >= bound;
            if (dot) {
                code -= bound;
                range -= bound;
                acc |= mask;
            } else {
                range = bound;
            }
            while (range < 0x8000u) {
                range <<= 1;
                code = (code << 1 | bit_at(bytes, length, at++)) & 0xFFFFu;
            }
            row = row >> 1 | (unsigned long)dot << 31;
            out[0] = (unsigned char)acc;
            mask <<= 1;
            if (mask == 0x100u) {
                out += band;
                acc = 0;
                mask = 1;
            }
        }
        above2 = above1;
        above1 = row >> (32 - width);
        /* the first byte of the next row: the next of the band, or the first of the next band */
        ++start;
        if (++in_band == band) {
            in_band = 0;
            start += ((width + 7) / 8 - 1) * band;
        }
    }
    return SORVANE_OK;
}
