/* The firmware reader: see sorvane_font.h. One walk of a string for every font; per character
 * it finds the place (the tables here, an image through sorvane_image.c), one decoder fills a
 * cell with the glyph's stored bytes (a compressed glyph unpacked by sorvane_unpack.c), and
 * the target draws the cell (sorvane_target.c).
 *
 * Small for 8-bit processors: no function returns a struct or takes one by value, and a
 * drawing call holds one glyph of SORVANE_GLYPH_MAX * ((SORVANE_GLYPH_MAX + 7) / 8) bytes on
 * the stack. Every size comes from the font object. */
#include <limits.h>

#include "sorvane_cell.h"
#include "sorvane_reader.h"
/* The glyph decoder is built with this file, so that a firmware builds the reader of a
 * compressed font from the same files as before. */
#define SORVANE_UNPACK_BUILD 1
#include "sorvane_unpack.c"

/* A cell: rows of whole bytes. A compressed glyph's code is read into a buffer as large, or
 * as its index record (a 3-byte start and 16 lengths), whichever is more. */
enum { cell_bytes = SORVANE_GLYPH_MAX * ((SORVANE_GLYPH_MAX + 7) / 8), record_bytes = 19,
       code_bytes = cell_bytes > record_bytes ? cell_bytes : record_bytes };

/* The last place an int holds on every processor. */
enum { place_max = 0x7FFF };

/* ---- Looking characters up ---------------------------------------------------------- */

unsigned short sorvane_code_at(const sorvane_font *font, int i) {
    unsigned char r[2];
    if (i < 0 || (unsigned)i >= font->count) return 0;
    if (!font->read) return (unsigned short)SORVANE_READ_WORD(&font->keys[i]);
    if (sorvane_image_read(font, font->keys_at + 2ul * (unsigned)i, r, 2) != 0) return 0;
    return (unsigned short)(r[0] | (unsigned)r[1] << 8);
}

/* The place of a key in the font's own key (a binary search), or in the other (a walk through
 * its table in the order of the keys; the first place of a code two characters share); -1
 * when the font has none, -2 when a read failed. */
static int find_in(const sorvane_font *font, int other, unsigned long key) {
    unsigned low = 0, high = font->count, i;
    if (key == 0 || key > 0xFFFFu) return -1;
    if (font->read) return sorvane_image_find(font, other, key);
    if (other) {
        if (!font->alt) return -1;
        for (i = 0; i < font->count && i <= place_max; ++i)
            if ((unsigned long)(unsigned short)SORVANE_READ_WORD(&font->alt[i]) == key) return (int)i;
        return -1;
    }
    while (low < high) {
        const unsigned middle = low + (high - low) / 2u;
        const unsigned long here = (unsigned short)SORVANE_READ_WORD(&font->keys[middle]);
        if (here == key) return middle <= place_max ? (int)middle : -1;
        if (here < key) low = middle + 1u;
        else high = middle;
    }
    return -1;
}

/* What the public calls say of a place: -1 for none, whatever the reason. */
static int found(int place) { return place < 0 ? -1 : place; }

int sorvane_find(const sorvane_font *font, unsigned short key) { return found(find_in(font, 0, key)); }

/* The code page 932 form of a code point, which the keys hold, for the few characters that
 * JIS X 0208's own mapping (as Mac and Linux editors write them) gives another: the wave
 * dash U+301C is the key's U+FF5E, and so on; and the em dash U+2014, which the scan takes
 * for the horizontal bar U+2015. Code, not a table, to stay in flash. */
static unsigned long cp932_form(unsigned long c) {
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
static unsigned first_sjis(unsigned code) {
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

static int place_sjis(const sorvane_font *font, unsigned code) {
    return font->key == 0 ? find_in(font, 0, code) : find_in(font, 1, first_sjis(code));
}

static int place_unicode(const sorvane_font *font, unsigned long code_point) {
    return find_in(font, font->key != 1, cp932_form(code_point));
}

int sorvane_find_sjis(const sorvane_font *font, unsigned short code) { return found(place_sjis(font, code)); }

int sorvane_find_unicode(const sorvane_font *font, unsigned long code_point) {
    return found(place_unicode(font, code_point));
}

/* ---- The one glyph decoder ------------------------------------------------------------ */

static int has_half(const sorvane_font *font, unsigned byte) {
    return ((font->flags & SORVANE_HAS_ASCII) != 0 && byte >= 0x20 && byte <= 0x7E) ||
           ((font->flags & SORVANE_HAS_KANA) != 0 && byte >= 0xA1 && byte <= 0xDF);
}

/* Reads length bytes from offset into a table: of tables, through the flash hooks, at from;
 * of an image, in one read, at its offset at. 0, 1 when the tables have no such table, or the
 * read's code. */
static int read_table(const sorvane_font *font, const SORVANE_FLASH_SPACE unsigned char *from, unsigned long at,
                      unsigned long offset, unsigned char *to, unsigned length) {
    unsigned i;
    if (font->read) return sorvane_image_read(font, at + offset, to, length);
    if (!from) return 1;
    from += offset;
    for (i = 0; i < length; ++i) to[i] = (unsigned char)SORVANE_READ_BYTE(from + i);
    return 0;
}

/* Whether a set is compressed: the full-width one, or the half-width one. */
static int packed(const sorvane_font *font, int half) {
    if (font->read) return (half ? font->half_model_at : font->model_at) != 0;
    return (half ? font->half_model : font->model) != 0;
}

/* Fills bytes with the length stored bytes (its cell's) of glyph index of a compressed set:
 * learns where it starts and how long it is in one read of its index record, reads it in
 * one more, and unpacks it into the cell (a length of the cell's bytes is the raw cell, 0 a
 * blank one). 0, 1 when the set says a length past the cell, or a read's code
 * (SORVANE_ERR_INVAL for an image whose models are not in RAM). The glyph's code is held
 * here, not in the walk, so that a raw font's drawing takes no stack for it. */
static int unpack_glyph(const sorvane_font *font, int half, unsigned index, unsigned length, unsigned char *bytes,
                        const sorvane_cell *cell) {
    unsigned char code[code_bytes];
    const unsigned in_record = index % 16u, record = 3u + in_record + 1u;
    unsigned long start;
    unsigned size, i;
    int result;
    if ((result = read_table(font, half ? font->half_starts : font->starts, half ? font->half_starts_at : font->starts_at,
                             (unsigned long)(index / 16u) * 19u, code, record)) != 0)
        return result;
    start = (unsigned long)code[0] | (unsigned long)code[1] << 8 | (unsigned long)code[2] << 16;
    for (i = 3; i < record - 1u; ++i) start += code[i];
    size = code[record - 1u];
    if (size > length) return 1;
    /* An image's index is no more to be trusted than its bytes: a glyph must lie inside its
     * packed table. */
    if (font->read) {
        const unsigned long table = half ? font->half_packed_bytes : font->packed_bytes;
        if (start > table || size > table - start) {
            if (font->error == 0) ((sorvane_font *)font)->error = SORVANE_ERR_CORRUPT; /* an image font is never const */
            return SORVANE_ERR_CORRUPT;
        }
    }
    if (size == 0) {
        for (i = 0; i < length; ++i) bytes[i] = 0;
        return 0;
    }
    result = read_table(font, half ? font->half_packed : font->glyphs, half ? font->half_packed_at : font->glyphs_at, start,
                        size == length ? bytes : code, size);
    if (result != 0 || size == length) return result;
    if (!font->read)
        return sorvane_unpack(half ? font->half_model : font->model, code, size, bytes, cell->width, cell->height,
                              cell->band) == 0 ? 0 : 1;
    if (!font->models) {
        if (font->error == 0) ((sorvane_font *)font)->error = SORVANE_ERR_INVAL; /* an image font is never const */
        return SORVANE_ERR_INVAL;
    }
    return sorvane_unpack_ram(font->models + (half && font->model_at != 0 ? SORVANE_UNPACK_MODEL_BYTES(font->models[0]) : 0u),
                              code, size, bytes, cell->width, cell->height, cell->band) == 0 ? 0 : 1;
}

/* The glyph at a place, or the half-width glyph of a byte (place -1): sets up cell, whose
 * bytes, when it returns 0, are in bytes. Returns 1 when the font has no such glyph (or one of a geometry
 * no cell holds), 0, or a read's code. */
static int glyph_cell(const sorvane_font *font, int place, unsigned byte, unsigned char *bytes, sorvane_cell *cell) {
    const unsigned length = place >= 0 ? font->glyph_bytes : font->half_bytes;
    const int half = place < 0;
    unsigned index;
    cell->bytes = 0;
    cell->width = place >= 0 ? font->width : font->half_width;
    cell->height = font->height;
    cell->band = place >= 0 ? font->band : 1;
    if (place >= 0 ? (unsigned)place >= font->count : !has_half(font, byte)) return 1;
    /* Whole bands of whole rows, all in the glyph's bytes, and the glyph in a cell. */
    if (cell->width < 1 || cell->width > SORVANE_GLYPH_MAX || cell->height < 1 || cell->height > SORVANE_GLYPH_MAX ||
        cell->band < 1 || cell->height % cell->band != 0 || length > cell_bytes ||
        (unsigned)cell->height * (((unsigned)cell->width + 7u) / 8u) > length)
        return 1;
    cell->bytes = bytes;
    /* The glyph's place in its set: a compressed half-width set holds ASCII first, if any. */
    index = !half ? (unsigned)place : byte <= 0x7E ? byte - 0x20u : byte - 0xA1u;
    if (packed(font, half)) {
        if (half && byte > 0x7E && (font->flags & SORVANE_HAS_ASCII) != 0) index += 95u;
        return unpack_glyph(font, half, index, length, bytes, cell);
    }
    if (!half) return read_table(font, font->glyphs, font->glyphs_at, (unsigned long)index * length, bytes, length);
    if (byte <= 0x7E) return read_table(font, font->ascii, font->ascii_at, (unsigned long)index * length, bytes, length);
    return read_table(font, font->kana, font->kana_at, (unsigned long)index * length, bytes, length);
}

/* ---- The walk of a string ------------------------------------------------------------- */

/* One character of a string: how many bytes it takes, what it is, and its width. */
enum { kind_lacking, kind_sjis, kind_unicode, kind_half };
typedef struct {
    unsigned long code; /* a Shift_JIS code, a code point, or a half-width byte */
    int width;
    unsigned char length, kind;
    unsigned char space; /* whether its glyph is blank by right */
} sorvane_character;

static void character(const sorvane_font *font, int length, int kind, unsigned long code, sorvane_character *c) {
    c->length = (unsigned char)length;
    c->kind = (unsigned char)kind;
    c->code = code;
    c->width = kind == kind_sjis || kind == kind_unicode ? font->width : font->half_width;
    c->space = (kind == kind_half && code == 0x20) || (kind == kind_sjis && code == 0x8140u) ||
               (kind == kind_unicode && code == 0x3000);
}

/* The character at the start of a Shift_JIS string that is not empty. */
static void next_sjis(const sorvane_font *font, const unsigned char *s, sorvane_character *c) {
    const unsigned lead = s[0], trail = s[1];
    if (((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && trail >= 0x40 && trail <= 0xFC &&
        trail != 0x7F)
        character(font, 2, kind_sjis, (unsigned long)(lead << 8 | trail), c);
    else
        character(font, 1, kind_half, lead, c);
}

/* The character at the start of a UTF-8 string that is not empty. A byte that begins no
 * whole, shortest sequence of a code point is a character of its own, lacking. The
 * half-width katakana U+FF61 to U+FF9F, the yen sign U+00A5 and the overline U+203E are
 * half-width bytes, as in JIS X 0201: 0xA1 to 0xDF, 0x5C and 0x7E. */
static void next_utf8(const sorvane_font *font, const unsigned char *s, sorvane_character *c) {
    unsigned long code = s[0];
    int length;
    int i;
    if (code < 0x80) {
        character(font, 1, kind_half, code, c);
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
        character(font, 1, kind_lacking, 0, c);
        return;
    }
    for (i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) {
            character(font, 1, kind_lacking, 0, c);
            return;
        }
        code = code << 6 | (s[i] & 0x3Fu);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
        character(font, 1, kind_lacking, 0, c);
    else if (code >= 0xFF61 && code <= 0xFF9F)
        character(font, length, kind_half, code - 0xFF61 + 0xA1, c);
    else if (code == 0xA5 || code == 0x203E)
        character(font, length, kind_half, code == 0xA5 ? 0x5Cu : 0x7Eu, c);
    else
        character(font, length, kind_unicode, code, c);
}

/* Whether a target writes the background of a cell: an RGB565 buffer with a colour. */
static int opaque(const sorvane_target *target) {
    return !target->plot && (target->layout == SORVANE_RGB565 || target->layout == SORVANE_RGB565_SWAPPED) &&
           target->background != SORVANE_TRANSPARENT;
}

/* The walks a call asks for: to draw, to measure, to count what the font lacks. */
enum { walk_draw, walk_measure, walk_count };

/* Walks a string; returns the x after it (INT_MAX when that lies past it), or for
 * walk_count the characters the font lacks: no glyph, or a blank one (as generate counts
 * it), a space aside. A read that fails is no lacking character: its cell is blank. The glyph
 * of a character is drawn with its top left dot at x, y; an opaque target draws the cell of
 * a lacking one too. One function, for the stack of small processors: each call level there
 * saves its registers. */
static int sorvane_walk(const sorvane_font *font, const char *text, unsigned char utf8, int x, int y,
                        const sorvane_target *target, unsigned char mode) {
    unsigned char bytes[cell_bytes];
    sorvane_cell cell;
    sorvane_character c;
    const unsigned char *s = (const unsigned char *)text;
    int missing = 0, result, place;
    unsigned length, i;
    unsigned char past = 0, inked; /* past: the text has gone past INT_MAX, no more dots */
    if (font->read) ((sorvane_font *)font)->error = SORVANE_OK; /* an image font is never const */
    while (*s) {
        if (utf8) next_utf8(font, s, &c);
        else next_sjis(font, s, &c);
        if (mode == walk_count || (mode == walk_draw && !past && target)) {
            result = 1;
            cell.bytes = 0;
            cell.width = c.width;
            cell.height = font->height;
            cell.band = 1;
            if (c.kind == kind_half) {
                result = glyph_cell(font, -1, (unsigned)c.code, bytes, &cell);
            } else if (c.kind != kind_lacking) {
                place = c.kind == kind_sjis ? place_sjis(font, (unsigned)c.code) : place_unicode(font, c.code);
                if (place >= 0) result = glyph_cell(font, place, 0, bytes, &cell);
                else if (place == -2) result = SORVANE_ERR_IO; /* a failed read, kept in font->error */
            }
            length = c.kind == kind_half ? font->half_bytes : font->glyph_bytes;
            inked = 0;
            if (result == 0)
                for (i = 0; i < length; ++i) inked |= bytes[i];
            if (result != 0 || !inked) cell.bytes = 0;
            if (mode == walk_count) {
                if ((result == 1 || (result == 0 && !inked && !c.space)) && missing < INT_MAX) ++missing;
            } else if (cell.bytes || opaque(target)) {
                sorvane_put_cell(target, x, y, &cell);
            }
        }
        if (x > INT_MAX - c.width) {
            x = INT_MAX;
            past = 1;
        } else {
            x += c.width;
        }
        s += c.length;
    }
    return mode == walk_count ? missing : x;
}

int sorvane_draw_utf8(const sorvane_font *font, const char *text, int x, int y, const sorvane_target *target) {
    return sorvane_walk(font, text, 1, x, y, target, walk_draw);
}

int sorvane_draw_sjis(const sorvane_font *font, const char *text, int x, int y, const sorvane_target *target) {
    return sorvane_walk(font, text, 0, x, y, target, walk_draw);
}

int sorvane_measure_utf8(const sorvane_font *font, const char *text) {
    return sorvane_walk(font, text, 1, 0, 0, 0, walk_measure);
}

int sorvane_measure_sjis(const sorvane_font *font, const char *text) {
    return sorvane_walk(font, text, 0, 0, 0, 0, walk_measure);
}

int sorvane_missing_utf8(const sorvane_font *font, const char *text) {
    return sorvane_walk(font, text, 1, 0, 0, 0, walk_count);
}

int sorvane_missing_sjis(const sorvane_font *font, const char *text) {
    return sorvane_walk(font, text, 0, 0, 0, 0, walk_count);
}

int sorvane_font_error(const sorvane_font *font) { return font->read ? font->error : SORVANE_OK; }

/* ---- A glyph as dot rows -------------------------------------------------------------- */

/* Eight dots of a stored byte, the leftmost in bit 0. */
static unsigned long dots_of_byte(unsigned value) {
#ifdef SORVANE_MSB_LEFT
    unsigned mirrored = 0;
    int bit;
    for (bit = 0; bit < 8; ++bit) mirrored |= ((value >> bit) & 1u) << (7 - bit);
    return mirrored;
#else
    return value & 0xFFu;
#endif
}

static int glyph_rows(const sorvane_font *font, int place, unsigned byte, sorvane_glyph *glyph) {
    unsigned char bytes[cell_bytes];
    sorvane_cell cell;
    int row, part;
    const int result = glyph_cell(font, place, byte, bytes, &cell);
    const int parts = (cell.width + 7) / 8;
    glyph->width = cell.width;
    glyph->height = cell.height;
    /* Every row set in one loop (a loop that only clears would become a call of memset). */
    for (row = 0; row < SORVANE_GLYPH_MAX; ++row) {
        unsigned long dots = 0;
        if (result == 0 && row < cell.height) {
            const int first = row / cell.band * cell.band * parts + row % cell.band;
            for (part = 0; part < parts; ++part) dots |= dots_of_byte(bytes[first + part * cell.band]) << (8 * part);
            /* Only the dots of the cell's width: a mask of width bits, no shift by the type's width. */
            dots &= (((1ul << (cell.width - 1)) - 1u) << 1) | 1u;
        }
        glyph->rows[row] = dots;
    }
    return result == 0 ? SORVANE_OK : result == 1 ? SORVANE_ERR_INVAL : result;
}

int sorvane_glyph_at(const sorvane_font *font, int i, sorvane_glyph *glyph) {
    return glyph_rows(font, i < 0 ? INT_MAX : i, 0, glyph);
}

int sorvane_half_glyph(const sorvane_font *font, unsigned char byte, sorvane_glyph *glyph) {
    return glyph_rows(font, -1, byte, glyph);
}
