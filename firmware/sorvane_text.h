/* How the firmware readers walk a string: the characters of UTF-8 and Shift_JIS text, each
 * with its width, its glyph (if the font has one) and whether it is lacking. Shared by the
 * reader of the include file's tables (sorvane_font.c) and the reader of an image
 * (sorvane_image.c), which each say how their font finds a glyph and draws it. Internal: its
 * functions are static, so that both readers may be linked into one firmware. */
#ifndef SORVANE_TEXT_H
#define SORVANE_TEXT_H

#include "sorvane_font.h"

/* Eight dots of a byte, leftmost in bit 0. With the left dot in the top bit of each byte
 * (import-font --bit-order msb-left), build with -DSORVANE_MSB_LEFT. */
static unsigned sorvane_dots_of_byte(unsigned value) {
#ifdef SORVANE_MSB_LEFT
    unsigned mirrored = 0;
    int bit;
    for (bit = 0; bit < 8; ++bit) mirrored |= ((value >> bit) & 1u) << (7 - bit);
    return mirrored;
#else
    return value & 0xFFu;
#endif
}

/* What a font tells the walk. */
typedef struct {
    const void *font;
    int side; /* the full-width cell: 14, 16 or 24 dots; a half-width one is half */
    /* The place of a two-byte character by Shift_JIS code or by code point, or -1. */
    int (*find_sjis)(const void *font, unsigned short code);
    int (*find_unicode)(const void *font, unsigned long code_point);
    /* Whether the font has the half-width glyph of a byte. */
    int (*has_half)(const void *font, unsigned byte);
    /* Fills glyph with the glyph at a place, or with the half-width glyph of a byte (place
     * -1); returns 0, or -1 when it cannot. */
    int (*glyph)(const void *font, int place, unsigned byte, sorvane_glyph *glyph);
} sorvane_font_access;

/* One character of a string: how many bytes it takes, its place among the full-width glyphs
 * or its half-width byte, and its width. */
typedef struct {
    int length;
    int full; /* the place of a full-width glyph, or -1 */
    int half; /* the byte of a half-width glyph, or -1 */
    int width;
} sorvane_character;

/* A character the font lacks, or a byte that is no character: its width, no glyph. */
static sorvane_character sorvane_lacking(int length, int width) {
    sorvane_character c;
    c.length = length;
    c.full = -1;
    c.half = -1;
    c.width = width;
    return c;
}

/* A half-width character by its byte; lacking when the font has no glyph of it. */
static sorvane_character sorvane_half_width(const sorvane_font_access *f, int length, unsigned code) {
    sorvane_character c = sorvane_lacking(length, f->side / 2);
    if (f->has_half(f->font, code)) c.half = (int)code;
    return c;
}

static sorvane_character sorvane_full_width(const sorvane_font_access *f, int length, int place) {
    sorvane_character c = sorvane_lacking(length, f->side);
    c.full = place;
    return c;
}

/* The character at the start of a Shift_JIS string that is not empty. */
static sorvane_character sorvane_next_sjis(const sorvane_font_access *f, const unsigned char *s) {
    const unsigned lead = s[0], trail = s[1];
    if (((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && trail >= 0x40 && trail <= 0xFC &&
        trail != 0x7F)
        return sorvane_full_width(f, 2, f->find_sjis(f->font, (unsigned short)(lead << 8 | trail)));
    return sorvane_half_width(f, 1, lead);
}

/* The character at the start of a UTF-8 string that is not empty. A byte that begins no
 * whole, shortest sequence of a code point is a character of its own, lacking. */
static sorvane_character sorvane_next_utf8(const sorvane_font_access *f, const unsigned char *s) {
    unsigned long c = s[0];
    int length;
    int i;
    if (c < 0x80) return sorvane_half_width(f, 1, (unsigned)c);
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        c &= 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        c &= 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        c &= 0x07;
    } else {
        return sorvane_lacking(1, f->side / 2);
    }
    for (i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) return sorvane_lacking(1, f->side / 2);
        c = c << 6 | (s[i] & 0x3Fu);
    }
    if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
        return sorvane_lacking(1, f->side / 2);
    if (c >= 0xFF61 && c <= 0xFF9F) return sorvane_half_width(f, length, (unsigned)(c - 0xFF61 + 0xA1));
    return sorvane_full_width(f, length, c > 0xFFFF ? -1 : f->find_unicode(f->font, c));
}

/* Draws a string, or with no plot only measures it; returns the x after it and adds the
 * characters the font lacks to *missing. */
static int sorvane_walk(const sorvane_font_access *f, const char *text, int utf8, int x, int y, sorvane_plot_fn plot,
                        void *ctx, int *missing) {
    const unsigned char *s = (const unsigned char *)text;
    while (*s) {
        const sorvane_character c = utf8 ? sorvane_next_utf8(f, s) : sorvane_next_sjis(f, s);
        sorvane_glyph glyph;
        int drawn = 0;
        if ((c.full >= 0 || c.half >= 0) && f->glyph(f->font, c.full, (unsigned)c.half, &glyph) == 0) {
            int row, column;
            drawn = 1;
            for (row = 0; plot && row < glyph.height; ++row)
                for (column = 0; column < glyph.width; ++column)
                    if ((glyph.rows[row] >> column) & 1u) plot(ctx, x + column, y + row);
        }
        *missing += !drawn;
        x += c.width;
        s += c.length;
    }
    return x;
}

#endif
