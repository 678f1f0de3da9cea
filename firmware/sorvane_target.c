/* Where the dots of a glyph go: a plot callback, or a buffer in the display's own layout. See
 * sorvane_font.h (the targets) and sorvane_cell.h (the cell the walk of a string hands over). */
#include <limits.h>
#include <stddef.h>

#include "sorvane_cell.h"

/* A byte of a glyph as its eight dots, the leftmost in bit 0 (mirrored when the font keeps
 * its left dot in the top bit). */
#ifdef SORVANE_MSB_LEFT
static unsigned mirror_byte(unsigned b) {
    b = (b >> 4 | b << 4) & 0xFFu;
    b = (b & 0xCCu) >> 2 | (b & 0x33u) << 2;
    return (b & 0xAAu) >> 1 | (b & 0x55u) << 1;
}
#define DOTS(b) mirror_byte(b)
#else
#define DOTS(b) ((unsigned)(b) & 0xFFu)
#endif

void sorvane_target_plot(sorvane_target *target, sorvane_plot_fn plot, void *ctx) {
    if (!target) return;
    target->plot = plot;
    target->ctx = ctx;
    target->buffer = 0;
    target->width = 0;
    target->height = 0;
    target->layout = SORVANE_ROWS_MSB;
    target->turns = 0;
    target->foreground = 0xFFFFu;
    target->background = SORVANE_TRANSPARENT;
}

int sorvane_target_buffer(sorvane_target *target, void *buffer, int width, int height, int layout) {
    if (!target) return SORVANE_ERR_INVAL;
    sorvane_target_plot(target, 0, 0);
    if (!buffer || width < 1 || height < 1 || layout < SORVANE_ROWS_MSB || layout > SORVANE_RGB565_SWAPPED)
        return SORVANE_ERR_INVAL;
    target->buffer = buffer;
    target->width = width;
    target->height = height;
    target->layout = (unsigned char)layout;
    return SORVANE_OK;
}

void sorvane_target_colors(sorvane_target *target, unsigned long foreground, unsigned long background) {
    if (!target) return;
    target->foreground = foreground;
    target->background = background;
}

void sorvane_target_rotate(sorvane_target *target, int quarter_turns) {
    if (!target) return;
    target->turns = (unsigned char)((quarter_turns % 4 + 4) % 4);
}

/* The rows of a cell, one after another: row r's byte p is at base[p * band + in], base moving
 * a band's bytes on at the end of each band. */
typedef struct {
    const unsigned char *base;
    int in, band, parts;
} rows_cursor;

static void rows_start(rows_cursor *rows, const sorvane_cell *cell, int r) {
    const int band = cell->band, parts = (cell->width + 7) / 8;
    int first = 0;
    while (r - first >= band) first += band;
    rows->base = cell->bytes + first * parts;
    rows->in = r - first;
    rows->band = band;
    rows->parts = parts;
}

static void rows_next(rows_cursor *rows) {
    if (++rows->in == rows->band) {
        rows->in = 0;
        rows->base += rows->band * rows->parts;
    }
}

/* Every set dot whose coordinates an int holds, to the plot callback. */
static void plot_cell(const sorvane_target *target, int x, int y, const sorvane_cell *cell) {
    rows_cursor rows;
    int r, c;
    if (!cell->bytes) return;
    rows_start(&rows, cell, 0);
    for (r = 0; r < cell->height && (y < 0 || r <= INT_MAX - y); ++r, rows_next(&rows)) {
        for (c = 0; c < cell->width && (x < 0 || c <= INT_MAX - x); ++c) {
            const unsigned dots = DOTS(rows.base[(c >> 3) * rows.band + rows.in]);
            if ((dots >> (c & 7)) & 1u) target->plot(target->ctx, x + c, y + r);
        }
    }
}

/* The part [*first, *end) of size dots from at that falls in [0, limit); 0 when none does.
 * No sum here can leave an int: size is 1 to SORVANE_GLYPH_MAX, limit at least 1. */
static int clip(int at, int size, int limit, int *first, int *end) {
    if (at >= limit) return 0;
    if (at < 0) {
        if (at <= -size) return 0;
        *first = -at;
        *end = limit - size < at ? limit - at : size;
    } else {
        *first = 0;
        *end = limit - at < size ? limit - at : size;
    }
    return 1;
}

/* One dot of a buffer, unturned coordinates already in it. */
static void put_dot(const sorvane_target *target, int ux, int uy, int set) {
    const int w = target->width, h = target->height;
    int bx, by;
    switch (target->turns) {
    case 1: bx = w - 1 - uy; by = ux; break;
    case 2: bx = w - 1 - ux; by = h - 1 - uy; break;
    case 3: bx = uy; by = h - 1 - ux; break;
    default: bx = ux; by = uy; break;
    }
    if (target->layout <= SORVANE_PAGES) {
        unsigned char *buffer = (unsigned char *)target->buffer;
        if (!set) return;
        if (target->layout == SORVANE_PAGES)
            buffer[(size_t)(by >> 3) * (size_t)w + (size_t)bx] |= (unsigned char)(1u << (by & 7));
        else
            buffer[(size_t)by * (((size_t)w + 7u) / 8u) + (size_t)(bx >> 3)] |=
                (unsigned char)(target->layout == SORVANE_ROWS_MSB ? 0x80u >> (bx & 7) : 1u << (bx & 7));
    } else {
        const unsigned long colour = set ? target->foreground : target->background;
        unsigned v;
        if (colour == SORVANE_TRANSPARENT) return;
        v = (unsigned)(colour & 0xFFFFu);
        if (target->layout == SORVANE_RGB565_SWAPPED) v = (v >> 8 | v << 8) & 0xFFFFu;
        ((unsigned short *)target->buffer)[(size_t)by * (size_t)w + (size_t)bx] = (unsigned short)v;
    }
}

void sorvane_put_cell(const sorvane_target *target, int x, int y, const sorvane_cell *cell) {
    int c0, c1, r0, r1, r, c, across, down;
    rows_cursor rows = {0, 0, 1, 1};
    if (!target || !cell || cell->width < 1 || cell->width > SORVANE_GLYPH_MAX || cell->height < 1 ||
        cell->height > SORVANE_GLYPH_MAX || cell->band < 1)
        return;
    if (target->plot) {
        plot_cell(target, x, y, cell);
        return;
    }
    if (!target->buffer || target->width < 1 || target->height < 1) return;
    /* Clipped in the unturned target, which is height by width dots when turned a quarter. */
    across = target->turns & 1 ? target->height : target->width;
    down = target->turns & 1 ? target->width : target->height;
    if (!clip(x, cell->width, across, &c0, &c1) || !clip(y, cell->height, down, &r0, &r1)) return;
    if (cell->bytes) rows_start(&rows, cell, r0);
    for (r = r0; r < r1; ++r) {
        for (c = c0; c < c1; ++c) {
            const int set = cell->bytes && (DOTS(rows.base[(c >> 3) * rows.band + rows.in]) >> (c & 7)) & 1u;
            put_dot(target, x + c, y + r, set);
        }
        if (cell->bytes) rows_next(&rows);
    }
}
