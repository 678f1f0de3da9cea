/* Draws each text of texts.h, in UTF-8 and in Shift_JIS, with both firmware readers: from the
 * include file's tables and from the image of image.h, read through a callback. For each it
 * prints a line "T READER WAY TEXT", every dot it plotted, "x y", in the order plotted, and
 * "= WIDTH MISSING"; no canvas, so that it runs in the RAM of a small processor. The same program
 * is built for this machine, for an AVR (16-bit int) under simavr and for an STM8 under ucsim,
 * and each output must be this machine's, byte for byte (tests/firmware/small-targets-test.sh).
 * The output goes through test_putc; the program's status is main's, or with TEST_SIMIF_END
 * given to it. */
#ifdef TEST_AVR_UART /* the image in flash, as the tables */
#include <avr/pgmspace.h>
#define IMAGE_FLASH PROGMEM
#define image_byte(i) pgm_read_byte(&image_bytes[i])
#else
#define IMAGE_FLASH
#define image_byte(i) image_bytes[i]
#endif
#include "image.h" /* image_bytes[] IMAGE_FLASH, image_size */
#include "sorvane_font.h"
#include "sorvane_image.h"
#include "texts.h" /* utf8_texts[], sjis_texts[], text_count */

#if defined(TEST_AVR_UART) || defined(TEST_SIMIF)
void test_putc(char c);
#else
#include <stdio.h>
static void test_putc(char c) { putchar(c); }
#endif
#ifdef TEST_SIMIF
void test_simif_end(int status);
#endif

static void put_number(long n) {
    char digits[12];
    int count = 0;
    if (n < 0) {
        test_putc('-');
        n = -n;
    }
    do digits[count++] = (char)('0' + n % 10);
    while ((n /= 10) > 0);
    while (count > 0) test_putc(digits[--count]);
}

static void put_text(const char *s) {
    while (*s) test_putc(*s++);
}

static int read_image(void *ctx, unsigned long offset, void *buffer, unsigned length) {
    unsigned i;
    (void)ctx;
    if (offset > image_size || length > image_size - offset) return -1;
    for (i = 0; i < length; ++i) ((unsigned char *)buffer)[i] = image_byte(offset + i);
    return 0;
}

static void plot(void *ctx, int x, int y) {
    ++*(long *)ctx;
    put_number(x);
    test_putc(' ');
    put_number(y);
    test_putc('\n');
}

int main(void) {
    sorvane_image image;
    int i, way, reader;
    const int opened = sorvane_open_image(&image, read_image, 0);
    const int checked = opened == SORVANE_IMAGE_OK ? sorvane_check_image(&image) : opened;
    long dots = 0;
    put_text("image ");
    put_number(checked);
    test_putc('\n');
    for (reader = 0; reader < 2 && checked == SORVANE_IMAGE_OK; ++reader)
        for (way = 0; way < 2; ++way)
            for (i = 0; i < text_count; ++i) {
                const char *text = way ? sjis_texts[i] : utf8_texts[i];
                int width, missing;
                put_text(reader ? "T image " : "T tables ");
                put_text(way ? "sjis " : "utf8 ");
                put_number(i);
                test_putc('\n');
                if (reader) {
                    width = way ? sorvane_image_draw_sjis(&image, text, 3, 2, plot, &dots) : sorvane_image_draw_utf8(&image, text, 3, 2, plot, &dots);
                    missing = way ? sorvane_image_missing_sjis(&image, text) : sorvane_image_missing_utf8(&image, text);
                } else {
                    width = way ? sorvane_draw_sjis(text, 3, 2, plot, &dots) : sorvane_draw_utf8(text, 3, 2, plot, &dots);
                    missing = way ? sorvane_missing_sjis(text) : sorvane_missing_utf8(text);
                }
                put_text("= ");
                put_number(width);
                test_putc(' ');
                put_number(missing);
                test_putc('\n');
            }
    put_text("dots ");
    put_number(dots);
    test_putc('\n');
#ifdef TEST_SIMIF
    test_simif_end(checked);
#endif
    return checked;
}
