/* A firmware's view of Font.inc: draws two messages into the frame buffer of a 128 x 64 dot
 * monochrome display, eight rows of dots to a byte as such displays take them. Built for a
 * Cortex-M to see what the font costs in flash. */
#include "sorvane_font.h"

enum { lcd_width = 128, lcd_height = 64 };

static unsigned char frame[lcd_height / 8][lcd_width];

static void set_dot(void *ctx, int x, int y) {
    (void)ctx;
    if (x >= 0 && x < lcd_width && y >= 0 && y < lcd_height) frame[y / 8][x] |= (unsigned char)(1u << (y % 8));
}

/* "準備完了" (ready) and "室温" (room temperature), in Shift_JIS. */
static const char ready[] = "\x8f\x80\x94\xf5\x8a\xae\x97\xb9";
static const char room_temperature[] = "\x8e\xba\x89\xb7";

volatile unsigned char *const lcd_data = (volatile unsigned char *)0x60000000;

int main(void) {
    int page, x;
    sorvane_draw_sjis(ready, 0, 0, set_dot, 0);
    sorvane_draw_sjis(room_temperature, 0, 32, set_dot, 0);
    for (page = 0; page < lcd_height / 8; ++page)
        for (x = 0; x < lcd_width; ++x) *lcd_data = frame[page][x];
    return 0;
}
