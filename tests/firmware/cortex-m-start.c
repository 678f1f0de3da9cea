/* The start of a test program on a Cortex-M under qemu-system-arm (mps2-an385): the vector
 * table, the copy of .data and the clearing of .bss, and the output and exit status through
 * semihosting. No C library. */
extern int main(void);
extern unsigned long _sidata, _sdata, _edata, _sbss, _ebss, _estack;

static int semihost(int operation, const void *argument) {
    register int r0 __asm__("r0") = operation;
    register const void *r1 __asm__("r1") = argument;
    __asm__ volatile("bkpt 0xAB" : "+r"(r0) : "r"(r1) : "memory");
    return r0;
}

void test_putc(char c) { semihost(0x03, &c); /* SYS_WRITEC */ }

void reset(void) {
    unsigned long *from = &_sidata, *to = &_sdata;
    while (to < &_edata) *to++ = *from++;
    for (to = &_sbss; to < &_ebss;) *to++ = 0;
    /* SYS_EXIT: ADP_Stopped_ApplicationExit is status 0, any other reason status 1. */
    semihost(0x18, main() == 0 ? (const void *)0x20026 : (const void *)0x20023);
    for (;;) {
    }
}

/* The initial stack pointer and the reset handler's address. */
__attribute__((section(".vectors"), used)) const unsigned long vectors[2] = {(unsigned long)&_estack, (unsigned long)reset};
