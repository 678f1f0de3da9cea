/* The firmware reader of the include file that Sorvane writes (Font.inc): finds glyphs and
 * draws whole strings, in UTF-8 or in Shift_JIS.
 *
 * sorvane_font.c includes the include file itself, so the tables live in that one
 * translation unit; build it with -DSORVANE_FONT_FILE='"path/Font.inc"' when the file has
 * another name or place. Portable C99: no allocation, no library calls, and the same result
 * whether plain char is signed or unsigned.
 *
 * Tables in flash on AVR: build sorvane_font.c with -DSORVANE_AVR_PROGMEM (the tables get
 * PROGMEM and are read with pgm_read_byte and pgm_read_word), or with
 * -DSORVANE_FONT_FLASH=__flash. Other ways are three macros: SORVANE_FONT_FLASH places the
 * tables, SORVANE_READ_BYTE(p) and SORVANE_READ_WORD(p) read a byte and a 16-bit code at p.
 */
#ifndef SORVANE_FONT_H
#define SORVANE_FONT_H

#ifdef __cplusplus
extern "C" {
#endif

/* The largest glyph: 24 x 24 dots. */
#define SORVANE_GLYPH_MAX 24

/* A glyph as dot rows: row r of rows[] holds the dots of row r from the top, bit x being
 * the x-th dot from the left. Full-width glyphs are square; half-width ones half as wide. */
typedef struct {
    int width;  /* 14, 16 or 24; 7, 8 or 12 for a half-width glyph */
    int height; /* 14, 16 or 24 */
    unsigned long rows[SORVANE_GLYPH_MAX];
} sorvane_glyph;

/* The number of two-byte characters in the font, and the key of the i-th of them: its
 * Shift_JIS code, or its Unicode code point in a file made with --key unicode. */
int sorvane_glyph_count(void);
unsigned short sorvane_code_at(int i);

/* The place of a key in the font, or -1. */
int sorvane_find(unsigned short code);

/* The place of a character by its Shift_JIS code (lead byte * 256 + trail byte) or by its
 * code point, whatever the file's key; -1 when the font lacks it. The file's own key is a
 * binary search; the other key needs a file made with --key or --half-width and is a walk
 * through its font_kanji_alt table. A code point is taken in code page 932's form, which the
 * keys hold: JIS X 0208's own U+301C, U+2016, U+2212, U+00A2, U+00A3 and U+00AC, and the em
 * dash U+2014, find U+FF5E, U+2225, U+FF0D, U+FFE0, U+FFE1, U+FFE2 and U+2015. */
int sorvane_find_sjis(unsigned short code);
int sorvane_find_unicode(unsigned long code_point);

/* Fills glyph with the i-th glyph of the font; returns 0, or -1 when there is none. */
int sorvane_glyph_at(int i, sorvane_glyph *glyph);

/* Fills glyph with the glyph of a key; returns 0, or -1 when the font lacks it. */
int sorvane_glyph_of(unsigned short code, sorvane_glyph *glyph);

/* Fills glyph with the half-width glyph of a byte: 0x20 to 0x7E (in a file made with
 * --half-width ascii or all) or the half-width katakana 0xA1 to 0xDF (kana or all); returns
 * 0, or -1 when the file has no such glyph. */
int sorvane_half_glyph(unsigned char code, sorvane_glyph *glyph);

/* Sets one dot, at x dots from the left and y from the top. */
typedef void (*sorvane_plot_fn)(void *ctx, int x, int y);

/* Draws a string up to its terminating zero: a full-width character in a cell of the font's
 * size, a half-width one (ASCII, half-width katakana; in UTF-8 also U+00A5 and U+203E, the
 * bytes 0x5C and 0x7E of JIS X 0201) in half of it; row 0 of each cell is at y. Returns the x
 * after the text, or INT_MAX when that lies past it; dots past INT_MAX are not drawn, and x
 * and y may be as low as INT_MIN. A character the font lacks (and a byte that is no
 * character, and one whose glyph is blank, the spaces aside) takes its width and draws
 * nothing. In a Unicode-keyed file, a Shift_JIS code that code page 932 has twice (NEC's
 * row 13, as 0x879A against 0x81E6) is found by its first code, which the file keeps. */
int sorvane_draw_utf8(const char *text, int x, int y, sorvane_plot_fn plot, void *ctx);
int sorvane_draw_sjis(const char *text, int x, int y, sorvane_plot_fn plot, void *ctx);

/* The number of characters of a string that the font lacks, as the drawing counts them
 * (generate warns about a registered character whose glyph is blank): a firmware test may
 * fail on any. */
int sorvane_missing_utf8(const char *text);
int sorvane_missing_sjis(const char *text);

#ifdef __cplusplus
}
#endif

#endif
