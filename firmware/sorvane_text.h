/* How the firmware readers walk a string: the characters of UTF-8 and Shift_JIS text, each
 * with its width, its glyph (if the font has one) and whether it is lacking. Shared by the
 * reader of the include file's tables (sorvane_font.c) and the reader of an image
 * (sorvane_image.c), which each say how their font finds a glyph and reads its rows. Internal:
 * its functions are static, so that both readers may be linked into one firmware.
 *
 * Small for 8-bit processors: no function returns a struct or takes one by value, and a glyph
 * is drawn a row at a time, so that the walk keeps one row of dots on the stack. */
#ifndef SORVANE_TEXT_H
#define SORVANE_TEXT_H

#include <limits.h>

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
    /* Sets *dots to row r (from the top) of the glyph at a place, or of the half-width glyph
     * of a byte (place -1), bit x the x-th dot from the left; returns 0, or -1 when it
     * cannot. */
    int (*row)(const void *font, int place, unsigned byte, int r, unsigned long *dots);
} sorvane_font_access;

/* One character of a string: how many bytes it takes, its place among the full-width glyphs
 * or its half-width byte, its width, and whether its glyph is blank by right (a space). */
typedef struct {
    int length;
    int full; /* the place of a full-width glyph, or -1 */
    int half; /* the byte of a half-width glyph, or -1 */
    int width;
    int space;
} sorvane_character;

/* A character the font lacks, or a byte that is no character: its width, no glyph. */
static void sorvane_lacking(int length, int width, sorvane_character *c) {
    c->length = length;
    c->full = -1;
    c->half = -1;
    c->width = width;
    c->space = 0;
}

/* A half-width character by its byte; lacking when the font has no glyph of it. */
static void sorvane_half_width(const sorvane_font_access *f, int length, unsigned code, sorvane_character *c) {
    sorvane_lacking(length, f->side / 2, c);
    if (f->has_half(f->font, code)) c->half = (int)code;
    c->space = code == 0x20;
}

static void sorvane_full_width(const sorvane_font_access *f, int length, int place, int space, sorvane_character *c) {
    sorvane_lacking(length, f->side, c);
    c->full = place;
    c->space = space;
}

/* The code page 932 form of a code point, which the keys hold, for the few characters that
 * JIS X 0208's own mapping (as Mac and Linux editors write them) gives another: the wave
 * dash U+301C is the key's U+FF5E, and so on; and the em dash U+2014, which the scan takes
 * for the horizontal bar U+2015. Code, not a table, to stay in flash. */
static unsigned long sorvane_cp932_form(unsigned long c) {
    switch (c) {
    case 0x00A2: return 0xFFE0; /* cent sign */
    case 0x00A3: return 0xFFE1; /* pound sign */
    case 0x00AC: return 0xFFE2; /* not sign */
    case 0x2014: return 0x2015; /* em dash, horizontal bar */
    case 0x2016: return 0x2225; /* double vertical line, parallel to */
    case 0x2212: return 0xFF0D; /* minus sign */
    case 0x301C: return 0xFF5E; /* wave dash */
    default: return c;
    }
}

/* The first Shift_JIS code of a character that code page 932 has twice in the grid (NEC's
 * row 13 and its IBM copy of the not sign against row 2). A Unicode-keyed file holds such a
 * character once, with that first code as its other key, so a Shift_JIS code is looked up
 * there by its first code: one search, whichever of the two a text holds. */
static unsigned sorvane_first_sjis(unsigned code) {
    switch (code) {
    case 0x8790: return 0x81E0;
    case 0x8791: return 0x81DF;
    case 0x8792: return 0x81E7;
    case 0x8795: return 0x81E3;
    case 0x8796: return 0x81DB;
    case 0x8797: return 0x81DA;
    case 0x879A: return 0x81E6;
    case 0x879B: return 0x81BF;
    case 0x879C: return 0x81BE;
    case 0xEEF9: return 0x81CA;
    default: return code;
    }
}

/* The character at the start of a Shift_JIS string that is not empty. */
static void sorvane_next_sjis(const sorvane_font_access *f, const unsigned char *s, sorvane_character *c) {
    const unsigned lead = s[0], trail = s[1];
    if (((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && trail >= 0x40 && trail <= 0xFC &&
        trail != 0x7F) {
        const unsigned code = lead << 8 | trail;
        sorvane_full_width(f, 2, f->find_sjis(f->font, (unsigned short)code), code == 0x8140u, c);
    } else {
        sorvane_half_width(f, 1, lead, c);
    }
}

/* The character at the start of a UTF-8 string that is not empty. A byte that begins no
 * whole, shortest sequence of a code point is a character of its own, lacking. The
 * half-width katakana U+FF61 to U+FF9F, the yen sign U+00A5 and the overline U+203E are
 * half-width bytes, as in JIS X 0201: 0xA1 to 0xDF, 0x5C and 0x7E. */
static void sorvane_next_utf8(const sorvane_font_access *f, const unsigned char *s, sorvane_character *c) {
    unsigned long code = s[0];
    int length;
    int i;
    if (code < 0x80) {
        sorvane_half_width(f, 1, (unsigned)code, c);
        return;
    }
    if (code >= 0xC2 && code <= 0xDF) {
        length = 2;
        code &= 0x1F;
    } else if (code >= 0xE0 && code <= 0xEF) {
        length = 3;
        code &= 0x0F;
    } else if (code >= 0xF0 && code <= 0xF4) {
        length = 4;
        code &= 0x07;
    } else {
        sorvane_lacking(1, f->side / 2, c);
        return;
    }
    for (i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) {
            sorvane_lacking(1, f->side / 2, c);
            return;
        }
        code = code << 6 | (s[i] & 0x3Fu);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
        sorvane_lacking(1, f->side / 2, c);
    else if (code >= 0xFF61 && code <= 0xFF9F)
        sorvane_half_width(f, length, (unsigned)(code - 0xFF61 + 0xA1), c);
    else if (code == 0xA5 || code == 0x203E)
        sorvane_half_width(f, length, code == 0xA5 ? 0x5Cu : 0x7Eu, c);
    else
        sorvane_full_width(f, length, code > 0xFFFF ? -1 : f->find_unicode(f->font, sorvane_cp932_form(code)),
                           code == 0x3000, c);
}

/* Draws the glyph of a character with its top left dot at x, y, or with no plot only looks
 * at it; 1 when it has one, 0 when it is lacking: no glyph, one that cannot be read, or a
 * blank one (as generate counts it), a space aside. Dots past INT_MAX are not drawn. */
static int sorvane_draw_character(const sorvane_font_access *f, const sorvane_character *c, int x, int y,
                                  sorvane_plot_fn plot, void *ctx) {
    int row, column, inked = 0;
    unsigned long dots;
    if (c->full < 0 && c->half < 0) return 0;
    for (row = 0; row < f->side; ++row) {
        if (f->row(f->font, c->full, (unsigned)c->half, row, &dots) != 0) return 0;
        inked |= dots != 0;
        if (!plot) {
            if (inked) return 1;
        } else if (y < 0 || row <= INT_MAX - y) {
            for (column = 0; column < c->width && (x < 0 || column <= INT_MAX - x); ++column)
                if ((dots >> column) & 1u) plot(ctx, x + column, y + row);
        }
    }
    return inked || c->space;
}

/* Draws a string, or with no plot only measures it; returns the x after it, INT_MAX when that
 * lies past it, and adds the characters the font lacks to *missing. */
static int sorvane_walk(const sorvane_font_access *f, const char *text, int utf8, int x, int y, sorvane_plot_fn plot,
                        void *ctx, int *missing) {
    const unsigned char *s = (const unsigned char *)text;
    int past = 0; /* the text has gone past INT_MAX: no more dots */
    sorvane_character c;
    while (*s) {
        if (utf8) sorvane_next_utf8(f, s, &c);
        else sorvane_next_sjis(f, s, &c);
        if (!sorvane_draw_character(f, &c, x, y, past ? 0 : plot, ctx) && *missing < INT_MAX) ++*missing;
        if (x > INT_MAX - c.width) {
            x = INT_MAX;
            past = 1;
        } else {
            x += c.width;
        }
        s += c.length;
    }
    return x;
}

#endif
