/* The firmware reader measured on small processors: the same text of full-width characters
 * drawn from the include file's tables and from an image read from RAM through a callback,
 * into each target: a plot callback that sets bits in an SSD1306 page buffer, and buffers in
 * SORVANE_PAGES (also turned once), SORVANE_ROWS_MSB, SORVANE_ROWS_LSB and SORVANE_RGB565 (an
 * opaque background), at a place on byte and page boundaries and at one off them.
 *
 * Built by bench/firmware-bench.sh, which makes bench_data.h (bench_text, bench_glyphs,
 * image_bytes[], image_size) and Font.inc, raw and compressed, for an ATmega2560 (BENCH_AVR: Timer1 counts the CPU's cycles),
 * a Cortex-M3 (BENCH_CORTEX_M: the script counts the instructions qemu runs between two
 * calls of bench_mark) and this machine (no count; it checks the drawing). Each measurement
 * prints "target|back-end|x,y|glyphs|count", the count being 0 where the script counts.
 * Every buffer is checked against the plot callback's drawing (but on the Cortex-M3, whose
 * trace would grow by millions of lines): a mismatch ends the program with status 1. */
#include "sorvane_font.h"

#include "bench_data.h" /* bench_text (Shift_JIS), bench_glyphs, image_bytes[], image_size */

extern const sorvane_font sorvane_file_font;

#if defined(BENCH_AVR)
#include <avr/interrupt.h>
#include <avr/io.h>
void test_putc(char c);
static volatile unsigned long overflows;
ISR(TIMER1_OVF_vect) { ++overflows; }
static void start(void) {
    TCCR1B = 0;
    TCNT1 = 0;
    overflows = 0;
    TIFR1 = 1 << TOV1;
    TIMSK1 = 1 << TOIE1;
    sei();
    TCCR1B = 1 << CS10; /* the CPU clock, no prescaler */
}
static unsigned long stop(void) {
    unsigned count;
    unsigned long wraps;
    cli();
    count = TCNT1; /* read running: simavr works the count out when it is read */
    wraps = overflows;
    if ((TIFR1 & (1 << TOV1)) && count < 0x8000u) ++wraps; /* a wrap its interrupt has not told */
    TCCR1B = 0;
    return wraps * 65536ul + count;
}
#elif defined(BENCH_CORTEX_M)
void test_putc(char c);
/* The script counts the instructions from one call to the next. */
__attribute__((noinline)) void bench_mark(void) { __asm__ volatile(""); }
static void start(void) { bench_mark(); }
static unsigned long stop(void) {
    bench_mark();
    return 0;
}
#else
#include <stdio.h>
static void test_putc(char c) { putchar(c); }
static void start(void) {}
static unsigned long stop(void) { return 0; }
#endif

#define MONO_WIDTH 128
#define MONO_HEIGHT 64
#define RGB_WIDTH 64
#define RGB_HEIGHT 24
static unsigned char reference[MONO_WIDTH * MONO_HEIGHT / 8], mono[MONO_WIDTH * MONO_HEIGHT / 8];
static unsigned short rgb[RGB_WIDTH * RGB_HEIGHT];

static void put_text(const char *s) {
    while (*s) test_putc(*s++);
}

static void put_number(unsigned long n) {
    char digits[12];
    int count = 0;
    do digits[count++] = (char)('0' + n % 10);
    while ((n /= 10) > 0);
    while (count > 0) test_putc(digits[--count]);
}

/* What an SSD1306 driver's plot does: a bit in its page buffer. */
static void plot_pages(void *ctx, int x, int y) {
    if (x >= 0 && x < MONO_WIDTH && y >= 0 && y < MONO_HEIGHT)
        ((unsigned char *)ctx)[(y >> 3) * MONO_WIDTH + x] |= (unsigned char)(1u << (y & 7));
}

static int read_ram(void *ctx, unsigned long offset, void *buffer, unsigned length) {
    unsigned i;
    (void)ctx;
    if (offset > image_size || length > image_size - offset) return -1;
    for (i = 0; i < length; ++i) ((unsigned char *)buffer)[i] = image_bytes[offset + i];
    return 0;
}

enum { plot, pages, rows_msb, rows_lsb, rgb565, pages_turned, targets };
static const char *const names[targets] = {"plot into SSD1306 pages", "SORVANE_PAGES", "SORVANE_ROWS_MSB",
                                           "SORVANE_ROWS_LSB", "SORVANE_RGB565", "SORVANE_PAGES 1 turn"};

#ifndef BENCH_CORTEX_M
/* Whether the plot callback set the dot at (x, y) of the unturned target. */
static int plotted(int x, int y) {
    return x >= 0 && x < MONO_WIDTH && y >= 0 && y < MONO_HEIGHT && (reference[(y >> 3) * MONO_WIDTH + x] >> (y & 7) & 1);
}

/* Whether a target's buffer holds what the plot callback drew. */
static int same(int kind) {
    int x, y;
    for (y = 0; y < MONO_HEIGHT; ++y)
        for (x = 0; x < MONO_WIDTH; ++x) {
            int set;
            switch (kind) {
            case rows_msb: set = mono[y * (MONO_WIDTH / 8) + x / 8] >> (7 - x % 8) & 1; break;
            case rows_lsb: set = mono[y * (MONO_WIDTH / 8) + x / 8] >> (x % 8) & 1; break;
            case rgb565:
                if (x >= RGB_WIDTH || y >= RGB_HEIGHT) continue;
                set = rgb[y * RGB_WIDTH + x] == 0xF800u;
                break;
            case pages_turned: /* one turn: (x, y) lands at column width - 1 - y, row x */
                if (x >= MONO_HEIGHT) continue;
                set = mono[(x >> 3) * MONO_WIDTH + MONO_WIDTH - 1 - y] >> (x & 7) & 1;
                break;
            default: set = mono[(y >> 3) * MONO_WIDTH + x] >> (y & 7) & 1; break;
            }
            if (set != plotted(x, y)) return 0;
        }
    return 1;
}
#endif

int main(void) {
    static const int places[2][2] = {{0, 0}, {3, 5}};
    sorvane_font image;
    unsigned long calibration;
    int kind, back_end, place, i, inked = 0;
    static unsigned char models[2 + 1024]; /* a compressed image's model: full-width glyphs only */
    if (sorvane_open_image(&image, read_ram, 0) != SORVANE_OK || sorvane_image_models(&image, models, sizeof models) != SORVANE_OK) {
        put_text("the image does not open\n");
        return 1;
    }
    start();
    calibration = stop();
    for (place = 0; place < 2; ++place) {
        const int x = places[place][0], y = places[place][1];
        sorvane_target target;
        for (i = 0; i < (int)sizeof reference; ++i) reference[i] = 0;
        sorvane_target_plot(&target, plot_pages, reference);
        sorvane_draw_sjis(&sorvane_file_font, bench_text, x, y, &target);
        for (i = 0; i < (int)sizeof reference; ++i) inked += reference[i] != 0;
        if (!inked) {
            put_text("nothing drawn\n");
            return 1;
        }
        for (kind = 0; kind < targets; ++kind)
            for (back_end = 0; back_end < 2; ++back_end) {
                const sorvane_font *font = back_end ? &image : &sorvane_file_font;
                unsigned long count;
                for (i = 0; i < (int)sizeof mono; ++i) mono[i] = 0;
                for (i = 0; i < RGB_WIDTH * RGB_HEIGHT; ++i) rgb[i] = 0x1234u;
                if (kind == plot) {
                    sorvane_target_plot(&target, plot_pages, mono);
                } else if (kind == rgb565) {
                    sorvane_target_buffer(&target, rgb, RGB_WIDTH, RGB_HEIGHT, SORVANE_RGB565);
                    sorvane_target_colors(&target, 0xF800u, 0x0000u);
                } else {
                    sorvane_target_buffer(&target, mono, MONO_WIDTH, MONO_HEIGHT,
                                          kind == rows_msb ? SORVANE_ROWS_MSB : kind == rows_lsb ? SORVANE_ROWS_LSB : SORVANE_PAGES);
                    if (kind == pages_turned) sorvane_target_rotate(&target, 1);
                }
                start();
                sorvane_draw_sjis(font, bench_text, x, y, &target);
                count = stop();
#ifndef BENCH_CORTEX_M /* where the trace counts, checking would fill it */
                if (!same(kind)) {
                    put_text("MISMATCH ");
                    put_text(names[kind]);
                    test_putc('\n');
                    return 1;
                }
#endif
                put_text(names[kind]);
                put_text(back_end ? "|image|" : "|tables|");
                put_number((unsigned long)x);
                test_putc(',');
                put_number((unsigned long)y);
                test_putc('|');
                put_number(bench_glyphs);
                test_putc('|');
                put_number(count > calibration ? count - calibration : 0);
                test_putc('\n');
            }
    }
    return 0;
}
