/* The firmware reader of the include file that Sorvane writes: see sorvane_font.h. */
#include "sorvane_font.h"
#include "sorvane_text.h"

#ifdef SORVANE_AVR_PROGMEM
#include <avr/pgmspace.h>
#define SORVANE_FONT_FLASH PROGMEM
#define SORVANE_READ_BYTE(p) pgm_read_byte(p)
#define SORVANE_READ_WORD(p) pgm_read_word(p)
#endif
#ifndef SORVANE_READ_BYTE
#define SORVANE_READ_BYTE(p) (*(p))
#endif
#ifndef SORVANE_READ_WORD
#define SORVANE_READ_WORD(p) (*(p))
#endif

#ifndef SORVANE_FONT_FILE
#define SORVANE_FONT_FILE "Font.inc"
#endif
#include SORVANE_FONT_FILE

/* Glyphs are 28, 32 or 72 bytes: 14 rows of 14 dots (K14), 16 of 16 (jiskan16) or 24 of 24
 * (jiskan24). The rows come in bands of 7 (K14) or 8 rows. For each band the file holds
 * first the low byte (dots 0 to 7) of each of its rows, then the next byte of each row
 * (dots 8 to 15; for K14 and jiskan16 everything above the low byte), and for jiskan24 the
 * third byte (dots 16 to 23). */
#if FONT_KANJI_SIZE == 28
#define GLYPH_SIDE 14
#define BAND_ROWS 7
#define ROW_BYTES 2
#elif FONT_KANJI_SIZE == 32
#define GLYPH_SIDE 16
#define BAND_ROWS 8
#define ROW_BYTES 2
#elif FONT_KANJI_SIZE == 72
#define GLYPH_SIDE 24
#define BAND_ROWS 8
#define ROW_BYTES 3
#else
#error "FONT_KANJI_SIZE must be 28, 32 or 72"
#endif
#define HALF_SIDE (GLYPH_SIDE / 2)

/* A file made without --key or --half-width is keyed by Shift_JIS code and has neither the
 * other key nor half-width glyphs. */
#ifdef FONT_KEY
#define HAS_ALT_KEY 1
#else
#define FONT_KEY 0
#define HAS_ALT_KEY 0
#endif
#ifndef FONT_HALF_ASCII
#define FONT_HALF_ASCII 0
#endif
#ifndef FONT_HALF_KANA
#define FONT_HALF_KANA 0
#endif

/* A table entry as the byte it stands for, whether the table is of plain char (signed on
 * some targets) or of unsigned char. */
#define TABLE_BYTE(p) ((unsigned char)SORVANE_READ_BYTE(p))

int sorvane_glyph_count(void) { return FONT_KANJI_NUM; }

unsigned short sorvane_code_at(int i) {
#if FONT_KANJI_NUM > 0
    if (i >= 0 && i < FONT_KANJI_NUM) return (unsigned short)SORVANE_READ_WORD(&font_kanji_index[i]);
#else
    (void)i;
#endif
    return 0;
}

int sorvane_find(unsigned short code) {
    /* FONT_KANJI_INDEX 0: the keys stand in ascending order, to be searched. */
    int low = 0;
    int high = FONT_KANJI_NUM - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const unsigned short here = sorvane_code_at(middle);
        if (here == code) return middle;
        if (here < code) low = middle + 1;
        else high = middle - 1;
    }
    return -1;
}

/* The place of a code in the other key's table, in the order of the file's key. */
static int find_alt(unsigned long code) {
#if HAS_ALT_KEY && FONT_KANJI_NUM > 0
    int i;
    for (i = 0; i < FONT_KANJI_NUM; ++i)
        if (code != 0 && (unsigned long)SORVANE_READ_WORD(&font_kanji_alt[i]) == code) return i;
#else
    (void)code;
#endif
    return -1;
}

int sorvane_find_sjis(unsigned short code) { return FONT_KEY == 0 ? sorvane_find(code) : find_alt(sorvane_first_sjis(code)); }

int sorvane_find_unicode(unsigned long code_point) {
    code_point = sorvane_cp932_form(code_point);
    if (code_point == 0 || code_point > 0xFFFFu) return -1;
    return FONT_KEY == 1 ? sorvane_find((unsigned short)code_point) : find_alt(code_point);
}

static void clear_glyph(sorvane_glyph *glyph, int width) {
    int row;
    glyph->width = width;
    glyph->height = GLYPH_SIDE;
    for (row = 0; row < SORVANE_GLYPH_MAX; ++row) glyph->rows[row] = 0;
}

/* Row r of the i-th glyph, which is there. */
static unsigned long kanji_row(int i, int r) {
    unsigned long dots = 0;
#if FONT_KANJI_NUM > 0
    const int first = r / BAND_ROWS * BAND_ROWS * ROW_BYTES + r % BAND_ROWS;
    int part;
    for (part = 0; part < ROW_BYTES; ++part)
        dots |= (unsigned long)sorvane_dots_of_byte(TABLE_BYTE(&font_kanji[i][first + part * BAND_ROWS])) << (part * 8);
#else
    (void)i;
    (void)r;
    (void)sorvane_dots_of_byte; /* no glyph to take apart in a font of no character */
#endif
    return dots & ((1ul << GLYPH_SIDE) - 1);
}

int sorvane_glyph_at(int i, sorvane_glyph *glyph) {
    int row;
    if (i < 0 || i >= FONT_KANJI_NUM) return -1;
    clear_glyph(glyph, GLYPH_SIDE);
    for (row = 0; row < GLYPH_SIDE; ++row) glyph->rows[row] = kanji_row(i, row);
    return 0;
}

int sorvane_glyph_of(unsigned short code, sorvane_glyph *glyph) { return sorvane_glyph_at(sorvane_find(code), glyph); }

/* A half-width glyph: its rows from the top, each in FONT_HALF_SIZE / rows bytes, the low
 * byte first. */
#if FONT_HALF_ASCII || FONT_HALF_KANA
#define HALF_ROW_BYTES (FONT_HALF_SIZE / GLYPH_SIDE)
#define HALF_ROW(table, i, r, dots)                                                                    \
    do {                                                                                               \
        int part_;                                                                                     \
        for (part_ = 0; part_ < HALF_ROW_BYTES; ++part_)                                               \
            (dots) |= (unsigned long)sorvane_dots_of_byte(TABLE_BYTE(&table[i][(r) * HALF_ROW_BYTES + part_])) \
                      << (part_ * 8);                                                                  \
    } while (0)
#endif

/* Whether the file has the half-width glyph of a byte. */
static int has_half(unsigned code) {
    int has = 0;
#if FONT_HALF_ASCII
    has |= code >= 0x20 && code <= 0x7E;
#endif
#if FONT_HALF_KANA
    has |= code >= 0xA1 && code <= 0xDF;
#endif
    (void)code;
    return has;
}

/* Row r of the half-width glyph of a byte that the file has. */
static unsigned long half_row(unsigned code, int r) {
    unsigned long dots = 0;
#if FONT_HALF_ASCII
    if (code >= 0x20 && code <= 0x7E) HALF_ROW(font_half_ascii, code - 0x20, r, dots);
#endif
#if FONT_HALF_KANA
    if (code >= 0xA1 && code <= 0xDF) HALF_ROW(font_half_kana, code - 0xA1, r, dots);
#endif
    (void)code;
    (void)r;
    return dots & ((1ul << HALF_SIDE) - 1);
}

int sorvane_half_glyph(unsigned char code, sorvane_glyph *glyph) {
    int row;
    if (!has_half(code)) return -1;
    clear_glyph(glyph, HALF_SIDE);
    for (row = 0; row < GLYPH_SIDE; ++row) glyph->rows[row] = half_row(code, row);
    return 0;
}

/* The tables as the string walk sees them. */
static int table_has_half(const void *font, unsigned code) {
    (void)font;
    return has_half(code);
}

static int table_find_sjis(const void *font, unsigned short code) {
    (void)font;
    return sorvane_find_sjis(code);
}

static int table_find_unicode(const void *font, unsigned long code_point) {
    (void)font;
    return sorvane_find_unicode(code_point);
}

static int table_row(const void *font, int place, unsigned code, int r, unsigned long *dots) {
    (void)font;
    if (place >= FONT_KANJI_NUM || (place < 0 && !has_half(code))) return -1;
    *dots = place >= 0 ? kanji_row(place, r) : half_row(code, r);
    return 0;
}

static const sorvane_font_access tables = {0, GLYPH_SIDE, table_find_sjis, table_find_unicode, table_has_half, table_row};

int sorvane_draw_utf8(const char *text, int x, int y, sorvane_plot_fn plot, void *ctx) {
    int missing = 0;
    return sorvane_walk(&tables, text, 1, x, y, plot, ctx, &missing);
}

int sorvane_draw_sjis(const char *text, int x, int y, sorvane_plot_fn plot, void *ctx) {
    int missing = 0;
    return sorvane_walk(&tables, text, 0, x, y, plot, ctx, &missing);
}

int sorvane_missing_utf8(const char *text) {
    int missing = 0;
    sorvane_walk(&tables, text, 1, 0, 0, 0, 0, &missing);
    return missing;
}

int sorvane_missing_sjis(const char *text) {
    int missing = 0;
    sorvane_walk(&tables, text, 0, 0, 0, 0, 0, &missing);
    return missing;
}

/* Whether an open image is the one the include file names: see sorvane_image.h. Here, for
 * only this file sees the include file's FONT_IMAGE_CRC. */
#include "sorvane_image.h"

int sorvane_image_matches(const sorvane_image *image) {
#ifdef FONT_IMAGE_CRC
    return image->crc == (uint32_t)FONT_IMAGE_CRC ? SORVANE_IMAGE_OK : SORVANE_IMAGE_OTHER_GENERATION;
#else
    (void)image;
    return SORVANE_IMAGE_NONE_NAMED;
#endif
}
