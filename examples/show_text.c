/* Prints a Shift_JIS text as dot art with the glyphs of Font.inc, the way a display would
 * show it: the host-side check of the firmware module.
 *
 *   show_text TEXT     the characters of TEXT side by side ('#' a dot, '.' none)
 *   show_text --all    every glyph of the font: its code, then its rows
 *
 * Characters the font lacks are shown as a frame; single bytes are left out.
 */
#include <stdio.h>
#include <string.h>

#include "sorvane_font.h"

static int is_lead_byte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF); }

static void print_row(const sorvane_glyph *glyph, int row) {
    int x;
    for (x = 0; x < glyph->width; ++x) putchar((glyph->rows[row] >> x) & 1 ? '#' : '.');
}

/* A frame in place of a character the font lacks. */
static void missing_glyph(sorvane_glyph *glyph, int side) {
    int row;
    glyph->width = side;
    glyph->height = side;
    for (row = 0; row < side; ++row) {
        glyph->rows[row] = row == 0 || row == side - 1 ? (1ul << side) - 1 : 1ul | 1ul << (side - 1);
    }
}

static int print_all(void) {
    int i;
    sorvane_glyph glyph;
    for (i = 0; i < sorvane_glyph_count(); ++i) {
        int row;
        sorvane_glyph_at(i, &glyph);
        printf("%04x\n", (unsigned)sorvane_code_at(i));
        for (row = 0; row < glyph.height; ++row) {
            print_row(&glyph, row);
            putchar('\n');
        }
    }
    return 0;
}

static int print_text(const unsigned char *text) {
    enum { most = 16 };
    sorvane_glyph glyphs[most];
    int count = 0;
    int side = 16;
    int row;
    int i;
    sorvane_glyph probe;
    if (sorvane_glyph_at(0, &probe) == 0) side = probe.width;
    while (*text && count < most) {
        unsigned short code;
        if (!is_lead_byte(text[0]) || text[1] == 0) {
            ++text;
            continue;
        }
        code = (unsigned short)(text[0] << 8 | text[1]);
        if (sorvane_glyph_of(code, &glyphs[count]) != 0) missing_glyph(&glyphs[count], side);
        ++count;
        text += 2;
    }
    for (row = 0; row < side; ++row) {
        for (i = 0; i < count; ++i) {
            print_row(&glyphs[i], row);
            putchar(' ');
        }
        putchar('\n');
    }
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 2 && strcmp(argv[1], "--all") == 0) return print_all();
    if (argc == 2) return print_text((const unsigned char *)argv[1]);
    fprintf(stderr, "usage: show_text TEXT | --all\n");
    return 2;
}
