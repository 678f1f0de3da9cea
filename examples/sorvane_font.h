/* Kanji glyphs from the include file that Sorvane writes (Font.inc), for firmware.
 *
 * sorvane_font.c includes the include file itself, so the tables live in that one
 * translation unit; build it with -DSORVANE_FONT_FILE='"path/Font.inc"' when the file has
 * another name or place. Portable C99: no allocation, no library calls, and the bytes are
 * read the same whether plain char is signed or unsigned.
 */
#ifndef SORVANE_FONT_H
#define SORVANE_FONT_H

/* The largest glyph: 24 x 24 dots. */
#define SORVANE_GLYPH_MAX 24

/* A glyph as dot rows: row r of rows[] holds the dots of row r from the top, bit x being
 * the x-th dot from the left. */
typedef struct {
    int width;  /* 14, 16 or 24 */
    int height; /* the same: the glyphs are square */
    unsigned long rows[SORVANE_GLYPH_MAX];
} sorvane_glyph;

/* The number of characters in the font, and the Shift_JIS code of the i-th of them. */
int sorvane_glyph_count(void);
unsigned short sorvane_code_at(int i);

/* The place of a Shift_JIS code (lead byte * 256 + trail byte) in the font, or -1. */
int sorvane_find(unsigned short code);

/* Fills glyph with the i-th glyph of the font; returns 0, or -1 when there is none. */
int sorvane_glyph_at(int i, sorvane_glyph *glyph);

/* Fills glyph with the glyph of a Shift_JIS code; returns 0, or -1 when the font lacks it. */
int sorvane_glyph_of(unsigned short code, sorvane_glyph *glyph);

#endif
