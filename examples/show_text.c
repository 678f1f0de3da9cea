/* Prints a text as dot art with the glyphs of Font.inc, drawn by the firmware reader the way
 * a display would show it: the host-side check of a font.
 *
 *   show_text TEXT          a Shift_JIS text in a line ('#' a dot, '.' none)
 *   show_text --utf8 TEXT   a UTF-8 text
 *   show_text --all         every glyph of the font: its key, then its rows
 *
 * A character the font lacks leaves its cell blank; the number of them goes to standard
 * error, and the exit status is then 1.
 */
#include <stdio.h>
#include <string.h>

#include "sorvane_font.h"

/* The font of the include file (sorvane_font_file.c). */
extern const sorvane_font sorvane_file_font;
#define font (&sorvane_file_font)

enum { canvas_width = 2048 };

static char canvas[SORVANE_GLYPH_MAX][canvas_width];

static void plot(void *ctx, int x, int y) {
    (void)ctx;
    if (x >= 0 && x < canvas_width && y >= 0 && y < SORVANE_GLYPH_MAX) canvas[y][x] = '#';
}

static void print_row(const sorvane_glyph *glyph, int row) {
    int x;
    for (x = 0; x < glyph->width; ++x) putchar((glyph->rows[row] >> x) & 1 ? '#' : '.');
}

static int print_all(void) {
    int i;
    sorvane_glyph glyph;
    for (i = 0; i < font->count; ++i) {
        int row;
        sorvane_glyph_at(font, i, &glyph);
        printf("%04x\n", (unsigned)sorvane_code_at(font, i));
        for (row = 0; row < glyph.height; ++row) {
            print_row(&glyph, row);
            putchar('\n');
        }
    }
    return 0;
}

static int print_text(const char *text, int utf8) {
    sorvane_target target;
    int width, row, missing;
    sorvane_target_plot(&target, plot, 0);
    memset(canvas, '.', sizeof canvas);
    width = utf8 ? sorvane_draw_utf8(font, text, 0, 0, &target) : sorvane_draw_sjis(font, text, 0, 0, &target);
    missing = utf8 ? sorvane_missing_utf8(font, text) : sorvane_missing_sjis(font, text);
    if (width > canvas_width) width = canvas_width;
    for (row = 0; row < font->height; ++row) printf("%.*s\n", width, canvas[row]);
    if (missing > 0) fprintf(stderr, "show_text: the font lacks %d characters of the text\n", missing);
    return missing > 0;
}

int main(int argc, char **argv) {
    if (argc == 2 && strcmp(argv[1], "--all") == 0) return print_all();
    if (argc == 3 && strcmp(argv[1], "--utf8") == 0) return print_text(argv[2], 1);
    if (argc == 2) return print_text(argv[1], 0);
    fprintf(stderr, "usage: show_text TEXT | --utf8 TEXT | --all\n");
    return 2;
}
