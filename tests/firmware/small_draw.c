/* Draws each text of texts.h, in UTF-8 and in Shift_JIS, with the firmware reader: from the
 * include file's tables and from the image of image.h, read through a callback. For each it
 * prints a line "T READER WAY TEXT", every dot it plotted, "x y", in the order plotted, and
 * "= WIDTH MISSING"; no canvas, so that it runs in the RAM of a small processor. The same program
 * is built for this machine, for an AVR (16-bit int) under simavr and for an STM8 under ucsim,
 * and each output must be this machine's, byte for byte (tests/firmware/small-targets-test.sh).
 * Then it looks characters up in an image of 65535 characters made up as it is read (the
 * keys and glyphs by formula, the header of big.h made by the script): a place past 32767
 * counts as lacking, and no lookup takes more than ceil(log2(65536)) + 1 reads. With
 * TEST_TABLES_ONLY (the 8051, whose RAM holds no image) only the tables are drawn, through a
 * plot callback that sets the dots in a canvas, printed row by row. The output goes through
 * test_putc; the program's status is main's, or with TEST_SIMIF given to test_simif_end. */
#ifdef TEST_AVR_UART /* the image in flash, as the tables */
#include <avr/pgmspace.h>
#define IMAGE_FLASH PROGMEM
#define image_byte(i) pgm_read_byte(&image_bytes[i])
#else
#define IMAGE_FLASH
#define image_byte(i) image_bytes[i]
#endif
#include "sorvane_font.h"
#ifndef TEST_TABLES_ONLY
#include "big.h"   /* big_header[]: the header of an image of 65535 characters, its directory and CRC */
#include "image.h" /* image_bytes[] IMAGE_FLASH, image_size */
#endif
#include "texts.h" /* utf8_texts[], sjis_texts[], text_count */

extern const sorvane_font sorvane_file_font; /* sorvane_font_file.c, of the include file */

#if defined(TEST_AVR_UART) || defined(TEST_SIMIF)
void test_putc(char c);
#else
#include <stdio.h>
static void test_putc(char c) { putchar(c); }
#endif
#ifdef TEST_SIMIF
void test_simif_end(int status);
#endif

/* Digit by digit from the highest, with no buffer: it runs in the plot callback, at the
 * bottom of the 8051's stack. */
static void put_number(long n) {
    long power = 1;
    if (n < 0) {
        test_putc('-');
        n = -n;
    }
    while (n / power >= 10) power *= 10;
    for (; power > 0; power /= 10) test_putc((char)('0' + n / power % 10));
}

static void put_text(const char *s) {
    while (*s) test_putc(*s++);
}

#ifndef TEST_TABLES_ONLY
static int read_image(void *ctx, unsigned long offset, void *buffer, unsigned length) {
    unsigned i;
    (void)ctx;
    if (offset > image_size || length > image_size - offset) return -1;
    for (i = 0; i < length; ++i) ((unsigned char *)buffer)[i] = image_byte(offset + i);
    return 0;
}

/* The big image: tables KEYS, OTHR and GLYF of 65535 records after the header. Key i is
 * 0x1000 + (i & ~3) / 2: four places a key, every other code lacking, keys 0x5000 and up past
 * place 32767. The other key's record j is Shift_JIS code 0x5F80 + j / 2 at place j: 0x9F7E
 * at 32764, 0x9F80 at 32768. Byte b of glyph i is i ^ 37b ^ (i >> 8). */
#define BIG_KEYS ((unsigned long)sizeof big_header)
#define BIG_ALT (BIG_KEYS + 2 * 65535ul)
#define BIG_GLYPHS (BIG_ALT + 4 * 65535ul)

static unsigned big_byte(unsigned long at) {
    unsigned long i, v;
    if (at < BIG_KEYS) return big_header[at];
    if (at < BIG_ALT) {
        i = (at - BIG_KEYS) / 2;
        v = 0x1000 + (i & ~3ul) / 2;
    } else if (at < BIG_GLYPHS) {
        i = (at - BIG_ALT) / 4;
        v = (at - BIG_ALT) % 4 < 2 ? 0x5F80 + i / 2 : i;
    } else {
        i = (at - BIG_GLYPHS) / 32;
        return (unsigned)((i ^ (at - BIG_GLYPHS) % 32 * 37 ^ i >> 8) & 0xFF);
    }
    return (unsigned)(at % 2 ? v >> 8 : v & 0xFF);
}

/* The reads of the big image, counted here: SDCC 4.2 for the STM8 left out the store of 0 to a
 * local between lookups when only the callback's context held its address. */
static unsigned long big_reads;

static int read_big(void *ctx, unsigned long offset, void *buffer, unsigned length) {
    unsigned i;
    (void)ctx;
    ++big_reads;
    if (offset > BIG_GLYPHS + 32 * 65535ul || length > BIG_GLYPHS + 32 * 65535ul - offset) return -1;
    for (i = 0; i < length; ++i) ((unsigned char *)buffer)[i] = (unsigned char)big_byte(offset + i);
    return 0;
}
#endif

static void plot(void *ctx, int x, int y) {
    ++*(long *)ctx;
    put_number(x);
    test_putc(' ');
    put_number(y);
    test_putc('\n');
}

#ifdef __SDCC_mcs51
#define TARGET_RAM __xdata
#else
#define TARGET_RAM
#endif

#ifdef TEST_TABLES_ONLY
/* The 8051: the dots go into a canvas (in external RAM there) through a plot callback that
 * only sets them, and are printed after each text, row by row: a plot callback that prints
 * takes the stack the walk needs. */
#define CANVAS_RAM TARGET_RAM
enum { canvas_width = 160, canvas_height = 40 }; /* rows of 20 bytes */
static CANVAS_RAM unsigned char canvas[canvas_height][canvas_width / 8];

/* Row y starts at byte y * 20, in shifts: no call of a library's product on the 8051. */
static void mark(void *ctx, int x, int y) {
    (void)ctx;
    if (x >= 0 && x < canvas_width && y >= 0 && y < canvas_height)
        ((CANVAS_RAM unsigned char *)canvas)[((unsigned)y << 4) + ((unsigned)y << 2) + ((unsigned)x >> 3)] |=
            (unsigned char)(0x80u >> ((unsigned)x & 7u));
}

static void put_canvas(long *dots) {
    int x, y;
    for (y = 0; y < canvas_height; ++y)
        for (x = 0; x < canvas_width; ++x)
            if (canvas[y][x / 8] >> (7 - x % 8) & 1) plot(dots, x, y);
    for (y = 0; y < canvas_height; ++y)
        for (x = 0; x < canvas_width / 8; ++x) canvas[y][x] = 0;
}
#else
/* Looks up codes below, among and above the big image's keys, by UTF-8 and by Shift_JIS,
 * prints "B CODE MISSING READS" for each and draws the three it has; 0, or 1 when a lookup
 * did not find what it should or took more than 17 reads. */
static int big_image(void) {
    static const struct {
        unsigned code;
        char sjis, missing;
    } lookups[] = {{0x0800, 0, 1}, {0x0FFF, 0, 1}, {0x1000, 0, 0}, {0x1001, 0, 1}, {0x4FFE, 0, 0}, {0x5000, 0, 1},
                   {0x8FFE, 0, 1}, {0x9000, 0, 1}, {0xFFFD, 0, 1}, {0x8140, 1, 0}, {0x9F7E, 1, 0}, {0x9F80, 1, 1},
                   {0x9FFC, 1, 1}, {0xE040, 1, 1}, {0xFCFC, 1, 1}};
    sorvane_font big;
    sorvane_target target;
    long dots = 0;
    int i, failed = sorvane_open_image(&big, read_big, 0) != SORVANE_OK;
    sorvane_target_plot(&target, plot, &dots);
    for (i = 0; i < (int)(sizeof lookups / sizeof lookups[0]) && !failed; ++i) {
        const unsigned c = lookups[i].code;
        const char utf8[] = {(char)(0xE0 | c >> 12), (char)(0x80 | (c >> 6 & 0x3F)), (char)(0x80 | (c & 0x3F)), 0};
        const char sjis[] = {(char)(c >> 8), (char)(c & 0xFF), 0};
        int missing;
        big_reads = 0;
        missing = lookups[i].sjis ? sorvane_missing_sjis(&big, sjis) : sorvane_missing_utf8(&big, utf8);
        put_text("B ");
        put_number((long)c);
        test_putc(' ');
        put_number(missing);
        test_putc(' ');
        put_number((long)big_reads);
        test_putc('\n');
        failed = missing != lookups[i].missing || big_reads > 17;
    }
    /* U+1000 and U+4FFE, places 0 and 32764, then 0x9F7E, place 32764 by the other key. */
    return failed || sorvane_draw_utf8(&big, "\xE1\x80\x80\xE4\xBF\xBE", 0, 0, &target) != 2 * big.width ||
           sorvane_draw_sjis(&big, "\x9F\x7E", 0, big.height, &target) != big.width;
}
#endif

int main(void) {
    int i, way, reader;
#ifdef TEST_TABLES_ONLY
    const int checked = 0, readers = 1;
#else
    sorvane_font image;
    const int opened = sorvane_open_image(&image, read_image, 0);
    const int checked = opened == SORVANE_OK ? sorvane_check_image(&image) : opened, readers = 2;
#endif
    int status = checked;
    long dots = 0;
    static TARGET_RAM sorvane_target target; /* not in the 8051's internal RAM, which the stack needs */
    const sorvane_font *font;
#ifdef TEST_TABLES_ONLY
    sorvane_target_plot(&target, mark, 0);
#else
    sorvane_target_plot(&target, plot, &dots);
#endif
    put_text("image ");
    put_number(checked);
    test_putc('\n');
    for (reader = 0; reader < readers && checked == 0; ++reader)
        for (way = 0; way < 2; ++way)
            for (i = 0; i < text_count; ++i) {
                const char *text = way ? sjis_texts[i] : utf8_texts[i];
                int width, missing;
                put_text(reader ? "T image " : "T tables ");
                put_text(way ? "sjis " : "utf8 ");
                put_number(i);
                test_putc('\n');
#ifndef TEST_TABLES_ONLY
                font = reader ? (const sorvane_font *)&image : &sorvane_file_font;
#else
                font = &sorvane_file_font;
#endif
                width = way ? sorvane_draw_sjis(font, text, 3, 2, &target) : sorvane_draw_utf8(font, text, 3, 2, &target);
                missing = way ? sorvane_missing_sjis(font, text) : sorvane_missing_utf8(font, text);
#ifdef TEST_TABLES_ONLY
                put_canvas(&dots);
#endif
                put_text("= ");
                put_number(width);
                test_putc(' ');
                put_number(missing);
                test_putc('\n');
            }
    put_text("dots ");
    put_number(dots);
    test_putc('\n');
#ifndef TEST_TABLES_ONLY
    if (status == 0) status = big_image();
#endif
#ifdef TEST_SIMIF
    test_simif_end(status);
#endif
    return status;
}
