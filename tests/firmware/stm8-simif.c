/* Output of a test program on an STM8 under ucsim (sstm8 -I if=rom[0x7fff],out=FILE): each
 * byte through the simulator's interface at 0x7FFF, which writes it to FILE. The end: a last
 * line "exit N" with the program's status, then the interface's stop command, which stops the
 * simulation. */
#define SIMIF (*(volatile unsigned char *)0x7FFF)

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
