/* Decodes a sample of compressed glyphs (glyphs.h, from glyph_decoder_sample) on a small
 * machine and checks each against its cell. On an AVR it times each with Timer1 at the CPU
 * clock and puts out the mean and the most cycles a glyph; on a Cortex-M under qemu the
 * script counts the decoder's instructions. Puts out "ok" or the first glyph that differs. */
#include "sorvane_unpack.h"

#include "glyphs.h"

#ifdef __AVR__
#include <avr/io.h>
#endif

void test_putc(char c);

static void put_text(const char *s) {
    while (*s) test_putc(*s++);
}

static void put_number(unsigned long n) {
    char digits[12];
    int k = 0;
    do digits[k++] = (char)('0' + n % 10); while ((n /= 10) != 0);
    while (k > 0) test_putc(digits[--k]);
}

int main(void) {
    unsigned char cell[CELL];
    unsigned long total = 0, most = 0, cycles = 0;
    const unsigned char *code = codes;
    int g, i;
#ifdef __AVR__
    TCCR1A = 0;
    TCCR1B = 1 << CS10; /* the CPU clock */
#endif
    for (g = 0; g < GLYPHS; ++g) {
#ifdef __AVR__
        TCNT1 = 0;
        TIFR1 = 1 << TOV1;
#endif
        sorvane_unpack(model, code, lengths[g], cell, WIDTH, HEIGHT, BAND);
#ifdef __AVR__
        cycles = TCNT1;
        if (TIFR1 & (1 << TOV1)) cycles += 65536ul; /* at most once: under 131072 cycles */
#endif
        total += cycles;
        if (cycles > most) most = cycles;
        for (i = 0; i < CELL; ++i)
            if (cell[i] != (unsigned char)SORVANE_READ_BYTE(cells + g * CELL + i)) {
                put_text("glyph ");
                put_number((unsigned long)g);
                put_text(" differs\n");
                return 1;
            }
        code += lengths[g];
    }
#ifdef __AVR__
    put_text("cycles mean ");
    put_number(total / GLYPHS);
    put_text(" most ");
    put_number(most);
    put_text("\n");
#endif
    put_text("ok ");
    put_number(GLYPHS);
    put_text("\n");
    return 0;
}
