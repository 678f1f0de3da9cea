/* The decoder of a compressed glyph: see sorvane_unpack.h. Its state is a few bytes: the
 * coder's range and its window on the code, where it is in the bytes, the context, and the
 * rows above. Every value but the rows and the window stays within 16 bits, and those are
 * cut to 32, so that a 16-bit int gives the same dots as a 32-bit one and a 64-bit long as a
 * 32-bit one; no shift in the loop of the dots depends on a variable, which an AVR would take
 * a bit at a time. */
#ifndef UNPACK_NAME
#ifndef SORVANE_UNPACK_BUILD
/* sorvane_font.c builds the decoder by including this file: built on its own, as an IDE
 * builds every .c file of a folder, it holds nothing, and no symbol is defined twice. */
typedef int sorvane_unpack_is_built_in_sorvane_font;
#else
#include "sorvane_unpack.h"

/* The decoder is written once, below, and built once for each place a model may be: the
 * flash, read through SORVANE_READ_BYTE, and RAM (an image's models). Where the flash is
 * plain memory, read as RAM is, the one decoder serves both. */
#define UNPACK_NAME sorvane_unpack
#define UNPACK_SPACE SORVANE_FLASH_SPACE
#define MODEL_BYTE(p) ((unsigned)(unsigned char)SORVANE_READ_BYTE(p))
#include "sorvane_unpack.c"
#undef UNPACK_NAME
#undef UNPACK_SPACE
#undef MODEL_BYTE
#undef FEED

#if !SORVANE_FLASH_PLAIN
#define UNPACK_NAME sorvane_unpack_ram
#define UNPACK_SPACE
#define MODEL_BYTE(p) ((unsigned)*(p))
#include "sorvane_unpack.c"
#endif
#endif

#else /* the decoder, built as UNPACK_NAME */


/* The context moves a dot on: each row's dots move up a bit, the newest of each row above
 * comes in (the row above's in bit 0); the dot just decoded comes in after. */
#define FEED()                                   \
    do {                                         \
        context = (context << 1 & keep) | ((unsigned)up1 & 1u); \
        context |= with2 & (0u - ((unsigned)up2 & 1u)); \
        up1 >>= 1;                               \
        up2 >>= 1;                               \
    } while (0)

/* The loop of the dots is the reader's hot spot. GCC's -Os keeps fewer of its values in
 * registers than -O2 does, which on a Cortex-M costs a sixth more instructions a glyph for a
 * few bytes less of code: built for Thumb-2, the decoder asks GCC for -O2. */
#if defined(__GNUC__) && !defined(__clang__) && defined(__thumb2__)
#pragma GCC push_options
#pragma GCC optimize("O2")
#define UNPACK_OPTIMIZED
#endif

int UNPACK_NAME(const UNPACK_SPACE unsigned char *model, const unsigned char *code, unsigned code_length,
                unsigned char *cell, int width, int height, int band) {
    /* Where the code is: kept in memory, not in registers, which the loop of the dots needs
     * for itself (a byte is taken once in eight shifts of the window at most). */
    const unsigned char *volatile bytes = code;
    volatile unsigned length = code_length;
    unsigned bits, ahead1, ahead2, lead, full, keep, with0, with2, range, context, bound;
    unsigned long row, up1, up2, window;
    volatile unsigned long above[2]; /* the rows above: one, two */
    unsigned char *out;
    int x, parts;
    volatile int in_band;

    if ((unsigned)width - 1u > 31u || band < 1) return SORVANE_ERR_INVAL;
    bits = MODEL_BYTE(model);
    ahead1 = bits >> 4 & 3u;
    ahead2 = bits >> 6;
    lead = ahead1 > ahead2 ? ahead1 : ahead2;
    ahead1 = lead - ahead1; /* how far each row above moves up */
    ahead2 = lead - ahead2;
    full = (1u << (bits & 15u)) - 1u;
    bits = MODEL_BYTE(model + 1);
    with0 = 1u << (bits & 15u) & full; /* the bit of the dot before */
    with2 = 1u << (bits >> 4) & full;  /* of the row two above's newest: none past the context */
    keep = full & ~(1u | with0 | with2);
    if (full == 0) return SORVANE_ERR_INVAL;
    model += 2;
    parts = (width + 7) / 8;

    /* The code in the top 16 bits of the window, the next byte below it, and below that a
     * mark, which a shift at a time brings up to bit 15 as the byte's last bit leaves: then
     * the next byte comes in. */
    range = 0xFFFFu;
    window = 0;
    for (x = 0; x < 3; ++x) window = (window | (length != 0 ? --length, (unsigned)*bytes++ : 0u)) << 8;
    window |= 0x80u;

    above[0] = above[1] = 0;
    for (in_band = band; height > 0; --height) {
        /* A row's dot x is fed to the context at the step of dot x - ahead. */
        up1 = above[0] << ahead1 & 0xFFFFFFFFul;
        up2 = above[1] << ahead2 & 0xFFFFFFFFul;
        context = 0;
        row = 0;
        for (x = (int)lead + 1; x > 0; --x) FEED();
        for (x = width; x > 0; --x) {
            bound = (range >> 8) * MODEL_BYTE(model + context);
            FEED(); /* the next dot's context, but for this dot */
            row >>= 1;
            if ((unsigned)(window >> 16) >= bound) {
                window -= (unsigned long)bound << 16;
                range -= bound;
                row |= 0x80000000ul;
                context |= with0;
            } else {
                range = bound;
            }
            while (range < 0x8000u) {
                range <<= 1;
                window = window << 1 & 0xFFFFFFFFul;
                if ((window & 0x7FFFu) == 0) {
                    window ^= 0x8080u; /* the mark, back below the byte */
                    if (length != 0) {
                        --length;
                        window |= (unsigned long)*bytes++ << 8;
                    }
                }
            }
        }
        row >>= 32 - width;
        above[1] = above[0];
        above[0] = row;
        /* The row's bytes, then the first byte of the next row: the next of the band, or the
         * first of the next band. */
        for (out = cell, x = 0; x < parts; ++x, out += band, row >>= 8) *out = (unsigned char)row;
        ++cell;
        if (--in_band == 0) {
            in_band = band;
            cell += (parts - 1) * band;
        }
    }
    return SORVANE_OK;
}

#ifdef UNPACK_OPTIMIZED
#pragma GCC pop_options
#undef UNPACK_OPTIMIZED
#endif

#endif
