/* A firmware's view of Font.inc: draws a Shift_JIS message into the frame buffer of a
 * 128 x 64 dot monochrome display, eight rows of dots to a byte as such displays take them.
 * Built for a Cortex-M to see what the font costs in flash. */
#include "sorvane_font.h"

enum { lcd_width = 128, lcd_height = 64 };

static unsigned char frame[lcd_height / 8][lcd_width];

static void set_dot(int x, int y) {
    if (x >= 0 && x < lcd_width && y >= 0 && y < lcd_height) frame[y / 8][x] |= (unsigned char)(1u << (y % 8));
}

/* Draws the two-byte characters of a Shift_JIS text from (x, y); returns the x after it. */
static int draw_text(int x, int y, const unsigned char *text) {
    sorvane_glyph glyph;
    while (text[0] && text[1]) {
        const unsigned short code = (unsigned short)(text[0] << 8 | text[1]);
        if (sorvane_glyph_of(code, &glyph) == 0) {
            int row, column;
            for (row = 0; row < glyph.height; ++row)
                for (column = 0; column < glyph.width; ++column)
                    if ((glyph.rows[row] >> column) & 1) set_dot(x + column, y + row);
            x += glyph.width;
        }
        text += 2;
    }
    return x;
}

/* "準備完了" (ready) and "室温" (room temperature), in Shift_JIS. */
static const unsigned char ready[] = {0x8f, 0x80, 0x94, 0xf5, 0x8a, 0xae, 0x97, 0xb9, 0};
static const unsigned char room_temperature[] = {0x8e, 0xba, 0x89, 0xb7, 0};

volatile unsigned char *const lcd_data = (volatile unsigned char *)0x60000000;

int main(void) {
    int page, x;
    draw_text(0, 0, ready);
    draw_text(0, 32, room_temperature);
    for (page = 0; page < lcd_height / 8; ++page)
        for (x = 0; x < lcd_width; ++x) *lcd_data = frame[page][x];
    return 0;
}
