/* Output of a test program on an AVR under simavr: through the first UART, whose bytes
 * simavr shows. The program's end, whether main returns or calls test_end: a last line
 * "exit N" with its status, then sleeping with interrupts off, which ends the simulation.
 * This exit takes the place of the C library's, which loops for ever without a word. */
#include <avr/io.h>

void test_putc(char c) {
    UCSR0B = 1 << TXEN0;
    while (!(UCSR0A & (1 << UDRE0))) {
    }
    UDR0 = (unsigned char)c;
}

void exit(int status) {
    const char *s = "exit ";
    while (*s) test_putc(*s++);
    if (status < 0 || status > 9) status = 9;
    test_putc((char)('0' + status));
    test_putc('\n');
    for (;;) __asm__ volatile("cli\n\tsleep");
}

void test_end(void) { exit(0); }
