/* A firmware's view of Font.inc: draws two messages straight into the frame buffer of a
 * 128 x 64 dot monochrome display (SSD1306, ST7565), eight rows of dots to a byte as such
 * displays take them. Built for a Cortex-M to see what the font costs in flash. */
#include "sorvane_font.h"

extern const sorvane_font sorvane_file_font; /* sorvane_font_file.c, of Font.inc */

enum { lcd_width = 128, lcd_height = 64 };

static unsigned char frame[lcd_height / 8][lcd_width];

/* "準備完了" (ready) and "室温" (room temperature), in Shift_JIS. */
static const char ready[] = "\x8f\x80\x94\xf5\x8a\xae\x97\xb9";
static const char room_temperature[] = "\x8e\xba\x89\xb7";

volatile unsigned char *const lcd_data = (volatile unsigned char *)0x60000000;

int main(void) {
    sorvane_target lcd;
    int page, x;
    sorvane_target_buffer(&lcd, frame, lcd_width, lcd_height, SORVANE_PAGES);
    sorvane_draw_sjis(&sorvane_file_font, ready, 0, 0, &lcd);
    sorvane_draw_sjis(&sorvane_file_font, room_temperature, 0, lcd_height / 2, &lcd);
    for (page = 0; page < lcd_height / 8; ++page)
        for (x = 0; x < lcd_width; ++x) *lcd_data = frame[page][x];
    return 0;
}
