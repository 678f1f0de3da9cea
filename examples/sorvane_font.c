/* Kanji glyphs from the include file that Sorvane writes: see sorvane_font.h. */
#include "sorvane_font.h"

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

/* Eight dots of a byte, leftmost in bit 0. With the left dot in the top bit of each byte
 * (import-bdf --bit-order msb-left), build with -DSORVANE_MSB_LEFT. */
static unsigned dots_of_byte(unsigned char value) {
#ifdef SORVANE_MSB_LEFT
    unsigned mirrored = 0;
    int bit;
    for (bit = 0; bit < 8; ++bit) mirrored |= ((value >> bit) & 1u) << (7 - bit);
    return mirrored;
#else
    return value;
#endif
}

int sorvane_glyph_count(void) { return FONT_KANJI_NUM; }

unsigned short sorvane_code_at(int i) {
#if FONT_KANJI_NUM > 0
    if (i >= 0 && i < FONT_KANJI_NUM) return font_kanji_index[i];
#else
    (void)i;
#endif
    return 0;
}

int sorvane_find(unsigned short code) {
    /* FONT_KANJI_INDEX 0: the codes stand in ascending order, to be searched. */
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

int sorvane_glyph_at(int i, sorvane_glyph *glyph) {
    int row;
    if (i < 0 || i >= FONT_KANJI_NUM) return -1;
    glyph->width = GLYPH_SIDE;
    glyph->height = GLYPH_SIDE;
    for (row = 0; row < SORVANE_GLYPH_MAX; ++row) glyph->rows[row] = 0;
#if FONT_KANJI_NUM > 0
    for (row = 0; row < GLYPH_SIDE; ++row) {
        const int band = row / BAND_ROWS;
        const int first = band * BAND_ROWS * ROW_BYTES + row % BAND_ROWS;
        int part;
        for (part = 0; part < ROW_BYTES; ++part) {
            /* The table may be of plain char, signed on some targets: take each entry as the
             * byte it stands for before shifting it into place. */
            const unsigned char value = (unsigned char)font_kanji[i][first + part * BAND_ROWS];
            glyph->rows[row] |= (unsigned long)dots_of_byte(value) << (part * 8);
        }
        glyph->rows[row] &= (1ul << GLYPH_SIDE) - 1;
    }
#endif
    return 0;
}

int sorvane_glyph_of(unsigned short code, sorvane_glyph *glyph) { return sorvane_glyph_at(sorvane_find(code), glyph); }
