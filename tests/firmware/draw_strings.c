/* Draws each text of texts.h with the firmware reader, in UTF-8 and in Shift_JIS, and prints
 * for each a line "WIDTH MISSING" and then its rows of dots ('#' a dot, '.' none). The same
 * program runs on this machine, under qemu for MIPS, on a Cortex-M with no C library, and on
 * an AVR under simavr with the tables in flash. */
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

#ifndef CANVAS_WIDTH
#define CANVAS_WIDTH 640
#endif
enum { canvas_width = CANVAS_WIDTH };
static char canvas[SORVANE_GLYPH_MAX][canvas_width];

static void plot(void *ctx, int x, int y) {
    ++*(int *)ctx;
    if (x >= 0 && x < canvas_width && y >= 0 && y < SORVANE_GLYPH_MAX) canvas[y][x] = '#';
}

static void put_number(int n) {
    char digits[12];
    int count = 0;
    do digits[count++] = (char)('0' + n % 10);
    while ((n /= 10) > 0);
    while (count > 0) test_putc(digits[--count]);
}

static void print_text(const char *text, int utf8) {
    int dots = 0;
    int x, y, width, missing;
    sorvane_glyph probe;
    const int height = sorvane_glyph_at(0, &probe) == 0 ? probe.height : 16;
    for (y = 0; y < SORVANE_GLYPH_MAX; ++y)
        for (x = 0; x < canvas_width; ++x) canvas[y][x] = '.';
    width = utf8 ? sorvane_draw_utf8(text, 0, 0, plot, &dots) : sorvane_draw_sjis(text, 0, 0, plot, &dots);
    missing = utf8 ? sorvane_missing_utf8(text) : sorvane_missing_sjis(text);
    put_number(width);
    test_putc(' ');
    put_number(missing);
    test_putc('\n');
    for (y = 0; y < height; ++y) {
        for (x = 0; x < width && x < canvas_width; ++x) test_putc(canvas[y][x]);
        test_putc('\n');
    }
}

int main(void) {
    int i;
    for (i = 0; i < text_count; ++i) {
        print_text(utf8_texts[i], 1);
        print_text(sjis_texts[i], 0);
    }
#ifdef TEST_AVR_UART
    test_end();
#endif
    return 0;
}
