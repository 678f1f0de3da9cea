/* Output of a test program under ucsim, on an STM8 (sstm8 -I if=rom[0x7fff],out=FILE) or an
 * 8051 (s51 -I if=xram[0xffff],out=FILE): each byte through the simulator's interface, which
 * writes it to FILE. The end: a last line "exit N" with the program's status, then the
 * interface's stop command, which stops the simulation. */
#ifdef __SDCC_mcs51
#define SIMIF (*(volatile __xdata unsigned char *)0xFFFF)
#else
#define SIMIF (*(volatile unsigned char *)0x7FFF)
#endif

void test_putc(char c) {
    SIMIF = 'w';
    SIMIF = (unsigned char)c;
}

void test_simif_end(int status) {
    const char *s = "exit ";
    while (*s) test_putc(*s++);
    test_putc((char)('0' + (status < 0 || status > 9 ? 9 : status)));
    test_putc('\n');
    SIMIF = 's';
    for (;;) {
    }
}
