/* Output of a test program on an AVR under simavr: through the first UART, whose bytes
 * simavr shows; the end by sleeping with interrupts off, which ends the simulation. */
#include <avr/io.h>

void test_putc(char c) {
    UCSR0B = 1 << TXEN0;
    while (!(UCSR0A & (1 << UDRE0))) {
    }
    UDR0 = (unsigned char)c;
}

void test_end(void) { __asm__ volatile("cli\n\tsleep"); }
