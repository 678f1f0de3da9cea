/* Draws each text of texts.h with the firmware reader, in UTF-8 and in Shift_JIS, and prints
 * for each a line "WIDTH MISSING" and then its rows of dots ('#' a dot, '.' none). Built with
 * TEST_IMAGE, it draws them again from the image of image.h, read through a callback, once
 * the include file names that image, and compares every glyph of the image with the tables'
 * and counts the reads of each lookup. Last comes a line "B" when the reader held at the
 * bounds of int ("W" when not). The same
 * program runs on this machine, under qemu for MIPS, on a Cortex-M with no C library, and on
 * an AVR under simavr with the tables in flash. */
#include <limits.h>

#include "sorvane_font.h"

#if defined(TEST_SEMIHOSTING) || defined(TEST_AVR_UART)
void test_putc(char c);
#else
#include <stdio.h>
static void test_putc(char c) { putchar(c); }
#endif
#ifdef TEST_AVR_UART
void test_end(void);
#endif

#include "texts.h" /* utf8_texts[], sjis_texts[], text_count */

#ifdef TEST_NAMED
/* Two named include files in one program, each a translation unit of its own; the image is
 * the second's. */
extern const sorvane_font small, large;
#define tables (&large)
#else
extern const sorvane_font sorvane_file_font; /* sorvane_font_file.c, of the include file */
#define tables (&sorvane_file_font)
#endif

#ifdef TEST_IMAGE
#ifdef TEST_AVR_UART /* the image in flash, as the tables */
#include <avr/pgmspace.h>
#define IMAGE_FLASH PROGMEM
#define image_byte(i) pgm_read_byte(&image_bytes[i])
#else
#define IMAGE_FLASH
#define image_byte(i) image_bytes[i]
#endif
#include "image.h" /* image_bytes[] IMAGE_FLASH, image_size */

static sorvane_font image;
static unsigned long reads;

static int read_image(void *ctx, unsigned long offset, void *buffer, unsigned length) {
    unsigned i;
    (void)ctx;
    ++reads;
    if (offset > image_size || length > image_size - offset) return -1;
    for (i = 0; i < length; ++i) ((unsigned char *)buffer)[i] = image_byte(offset + i);
    return 0;
}
#endif

#ifndef CANVAS_WIDTH
#define CANVAS_WIDTH 640
#endif
enum { canvas_width = CANVAS_WIDTH };
static unsigned char canvas[SORVANE_GLYPH_MAX][(canvas_width + 7) / 8]; /* a bit a dot */

static int canvas_dot(int x, int y) { return canvas[y][x / 8] >> (x % 8) & 1; }

static void plot(void *ctx, int x, int y) {
    ++*(int *)ctx;
    if (x >= 0 && x < canvas_width && y >= 0 && y < SORVANE_GLYPH_MAX) canvas[y][x / 8] |= (unsigned char)(1u << (x % 8));
}

#if defined(TEST_IMAGE) || defined(TEST_NAMED)
static void put_text(const char *s) {
    while (*s) test_putc(*s++);
}
#endif

static void put_number(int n) {
    char digits[12];
    int count = 0;
    do digits[count++] = (char)('0' + n % 10);
    while ((n /= 10) > 0);
    while (count > 0) test_putc(digits[--count]);
}

/* The font drawn with: the tables, or the image. */
static const sorvane_font *tables_font = tables;

static const sorvane_font *font_of(int from_image) {
#ifdef TEST_IMAGE
    if (from_image) return &image;
#endif
    (void)from_image;
    return tables_font;
}

#ifdef TEST_NAMED
/* The dots of the text drawn with its left edge at x into a window of window_width dots by
 * the font's height, in every layout turned every way, read back from the buffer by the
 * layout's and the turn's formulas and compared with the plot callback's canvas; RGB565 with
 * an opaque background (every dot of the text's cells), the swapped one transparent (the
 * others stay 0). The number of dots that differ. */
enum { window_width = 40 };
static unsigned char window[window_width * SORVANE_GLYPH_MAX * 2];

static unsigned window_value(int layout, int bw, int bx, int by) {
    const unsigned char *w = window;
    if (layout == SORVANE_ROWS_MSB) return w[by * ((bw + 7) / 8) + bx / 8] >> (7 - bx % 8) & 1;
    if (layout == SORVANE_ROWS_LSB) return w[by * ((bw + 7) / 8) + bx / 8] >> (bx % 8) & 1;
    if (layout == SORVANE_PAGES) return w[by / 8 * bw + bx] >> (by % 8) & 1;
    return ((const unsigned short *)(const void *)window)[by * bw + bx];
}

static int check_layouts(const char *text, int utf8, int width) {
    static const unsigned set[5] = {1, 1, 1, 0x1234, 0x3412}, unset[5] = {0, 0, 0, 0x0F0F, 0};
    const sorvane_font *font = font_of(0);
    int wrong = 0, layout, turns, at, x, y;
    unsigned i;
    for (layout = 0; layout < 5; ++layout)
        for (turns = 0; turns < 4; ++turns)
            for (at = 0; at < width; at += window_width) {
                sorvane_target target;
                const int h = font->height, bw = turns % 2 ? h : window_width, bh = turns % 2 ? window_width : h;
                for (i = 0; i < sizeof window; ++i) window[i] = 0;
                sorvane_target_buffer(&target, window, bw, bh, layout);
                sorvane_target_colors(&target, 0x1234, layout == SORVANE_RGB565 ? 0x0F0F : SORVANE_TRANSPARENT);
                sorvane_target_rotate(&target, turns);
                if (utf8) sorvane_draw_utf8(font, text, -at, 0, &target);
                else sorvane_draw_sjis(font, text, -at, 0, &target);
                for (y = 0; y < h; ++y)
                    for (x = 0; x < window_width; ++x) {
                        const int bx = turns == 0 ? x : turns == 1 ? bw - 1 - y : turns == 2 ? bw - 1 - x : y;
                        const int by = turns == 0 ? y : turns == 1 ? x : turns == 2 ? bh - 1 - y : bh - 1 - x;
                        const int in = at + x < width && at + x < canvas_width;
                        const unsigned want = in && canvas_dot(at + x, y) ? set[layout] : in ? unset[layout] : 0;
                        wrong += window_value(layout, bw, bx, by) != want;
                    }
            }
    return wrong;
}
#endif

static int draw(const char *text, int utf8, int from_image, int *dots) {
    sorvane_target target;
    sorvane_target_plot(&target, plot, dots);
    return utf8 ? sorvane_draw_utf8(font_of(from_image), text, 0, 0, &target) : sorvane_draw_sjis(font_of(from_image), text, 0, 0, &target);
}

static int missing_of(const char *text, int utf8, int from_image) {
    return utf8 ? sorvane_missing_utf8(font_of(from_image), text) : sorvane_missing_sjis(font_of(from_image), text);
}

#ifdef TEST_NAMED
static long layouts_wrong; /* dots of the buffer targets that differ from the plot callback's */
#endif

static void print_text(const char *text, int utf8, int from_image) {
    int dots = 0;
    int x, y, width, missing;
    const int height = font_of(from_image)->height;
    for (y = 0; y < SORVANE_GLYPH_MAX; ++y)
        for (x = 0; x < (canvas_width + 7) / 8; ++x) canvas[y][x] = 0;
    width = draw(text, utf8, from_image, &dots);
#ifdef TEST_NAMED
    if (!from_image) layouts_wrong += check_layouts(text, utf8, width);
#endif
    missing = missing_of(text, utf8, from_image);
    put_number(width);
    test_putc(' ');
    put_number(missing);
    test_putc('\n');
    for (y = 0; y < height; ++y) {
        for (x = 0; x < width && x < canvas_width; ++x) test_putc(canvas_dot(x, y) ? '#' : '.');
        test_putc('\n');
    }
}

#ifdef TEST_IMAGE

static int same_glyph(const sorvane_glyph *a, const sorvane_glyph *b) {
    int row;
    if (a->width != b->width || a->height != b->height) return 0;
    for (row = 0; row < a->height; ++row)
        if (a->rows[row] != b->rows[row]) return 0;
    return 1;
}

/* A string of the one character of a key: its two Shift_JIS bytes, or its UTF-8. */
static int string_of_key(unsigned code, int key, char *s) {
    if (key == 0) {
        s[0] = (char)(code >> 8), s[1] = (char)(code & 0xFF), s[2] = 0;
    } else if (code < 0x800) {
        s[0] = (char)(0xC0 | code >> 6), s[1] = (char)(0x80 | (code & 0x3F)), s[2] = 0;
    } else {
        s[0] = (char)(0xE0 | code >> 12), s[1] = (char)(0x80 | (code >> 6 & 0x3F)), s[2] = (char)(0x80 | (code & 0x3F)), s[3] = 0;
    }
    return key;
}

/* A compressed image's models, in RAM: 2 + 2^10 bytes a set at most. */
static unsigned char models[2 * (2 + 1024)];

/* Every glyph of the image against the tables', and the reads each lookup takes: at most
 * ceil(log2(count + 1)) of a key and one of the glyph, one for a half-width glyph; and one
 * more of its index record for a compressed set's glyph. Prints "image N" for N glyphs the
 * same, or what differs. */
static int compare_image(void) {
    sorvane_glyph a, b;
    int i, bound = 1, n;
    char s[4];
    if (sorvane_open_image(&image, read_image, 0) != SORVANE_OK || sorvane_check_image(&image) != SORVANE_OK ||
        sorvane_image_models(&image, models, sizeof models) != SORVANE_OK) {
        put_text("image refused\n");
        return 1;
    }
    if (image.model_at != 0) ++bound;
    if ((n = sorvane_image_matches(tables, &image)) != SORVANE_OK) {
        put_text(n == SORVANE_ERR_OTHER_IMAGE ? "image of another generation\n" : "image named by none\n");
        return 1;
    }
    for (n = (int)tables->count; n > 0; n >>= 1) ++bound;
    for (i = 0; i < (int)tables->count; ++i) {
        const int utf8 = string_of_key(sorvane_code_at(tables, i), image.key, s);
        int dots = 0;
        sorvane_glyph_at(tables, i, &a);
        if (sorvane_glyph_at(&image, i, &b) != 0 || !same_glyph(&a, &b)) {
            put_text("image differs at glyph ");
            put_number(i);
            test_putc('\n');
            return 1;
        }
        reads = 0;
        draw(s, utf8, 1, &dots);
        if (reads > (unsigned long)bound) {
            put_text("image reads too often for glyph ");
            put_number(i);
            test_putc('\n');
            return 1;
        }
    }
    for (i = 0x20; i < 0xE0; ++i) {
        const int in_tables = sorvane_half_glyph(tables, (unsigned char)i, &a) == 0;
        if (in_tables != (sorvane_half_glyph(&image, (unsigned char)i, &b) == 0) || (in_tables && !same_glyph(&a, &b))) {
            put_text("image differs at byte ");
            put_number(i);
            test_putc('\n');
            return 1;
        }
        s[0] = (char)i, s[1] = 0;
        reads = 0;
        if (in_tables) draw(s, 0, 1, &n);
        if (reads > 1ul + (image.half_model_at != 0)) {
            put_text("image reads too often for byte ");
            put_number(i);
            test_putc('\n');
            return 1;
        }
    }
    put_text("image ");
    put_number((int)tables->count);
    test_putc('\n');
    return 0;
}
#endif

/* Marks a dot drawn at x and y near INT_MAX that wrapped around to a small or negative place. */
static void plot_near_max(void *ctx, int x, int y) { *(int *)ctx |= x < INT_MAX - 5 || y < INT_MAX - 3; }

int main(void) {
    sorvane_target near_max;
    int i;
#ifdef TEST_NAMED
    /* The first font's texts, then the second's (and the image's below), each after "next". */
    tables_font = &small;
    for (i = 0; i < text_count; ++i) {
        print_text(utf8_texts[i], 1, 0);
        print_text(sjis_texts[i], 0, 0);
    }
    put_text("next\n");
    tables_font = &large;
#endif
    for (i = 0; i < text_count; ++i) {
        print_text(utf8_texts[i], 1, 0);
        print_text(sjis_texts[i], 0, 0);
    }
#ifdef TEST_IMAGE
    if (compare_image() != 0) return 1;
    for (i = 0; i < text_count; ++i) {
        print_text(utf8_texts[i], 1, 1);
        print_text(sjis_texts[i], 0, 1);
    }
#endif
    /* At the bounds of int (16 bits on AVR): no dot wraps around, the x after the text saturates. */
    i = 0;
    sorvane_target_plot(&near_max, plot_near_max, &i);
    test_putc(sorvane_draw_utf8(tables, utf8_texts[0], INT_MAX - 5, INT_MAX - 3, &near_max) == INT_MAX && !i &&
                      sorvane_draw_utf8(tables, utf8_texts[0], INT_MIN, 0, 0) == INT_MIN + sorvane_measure_utf8(tables, utf8_texts[0])
                  ? 'B' : 'W');
    test_putc('\n');
#ifdef TEST_NAMED
    put_text("layouts ");
    put_number((int)(layouts_wrong > 30000 ? 30000 : layouts_wrong));
    test_putc('\n');
#endif
#ifdef TEST_AVR_UART
    test_end();
#endif
    return 0;
}
