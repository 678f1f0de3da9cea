/* Where the dots of a glyph go: a plot callback, or a buffer in the display's own layout. See
 * sorvane_font.h (the targets) and sorvane_cell.h (the cell the walk of a string hands over). */
#include <limits.h>
#include <stddef.h>

#include "sorvane_cell.h"

/* A byte of a glyph as its eight dots, the leftmost in bit 0 (mirrored when the font keeps
 * its left dot in the top bit). */
static const unsigned char mirrored_nibble[16] = {0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE,
                                                  0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF};
static unsigned mirror_byte(unsigned b) { return (unsigned)mirrored_nibble[b & 15u] << 4 | mirrored_nibble[(b >> 4) & 15u]; }
#ifdef SORVANE_MSB_LEFT
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

/* Every set dot whose coordinates an int holds, to the plot callback. On the 8051 (SDCC) a byte
 * of the cell is read once and its dots shifted out, with no product or call per band but the
 * plot: at the stack's deepest point there, a call of SDCC's __mulint does not fit, and SDCC 4.2
 * dropped dots of the loop below when it eliminated common subexpressions in it. Elsewhere the
 * loop below, whose code the figures of firmware/README.md are of. */
#ifdef __SDCC_mcs51
static void plot_cell(const sorvane_target *target, int x, int y, const sorvane_cell *cell) {
    const int width = cell->width, height = cell->height, band = cell->band;
    const unsigned band_bytes = (unsigned)band * (((unsigned)width + 7u) / 8u);
    const unsigned char *band_at = cell->bytes; /* the start of the band of row r */
    int r, c, in = 0;
    if (!band_at) return;
    for (r = 0; r < height && (y < 0 || r <= INT_MAX - y); ++r) {
        const unsigned char *from = band_at + in;
        unsigned dots = 0;
        for (c = 0; c < width && (x < 0 || c <= INT_MAX - x); ++c, dots >>= 1) {
            if (!(c & 7)) { /* the row's next byte: from stays inside the cell */
                if (c) from += band;
                dots = DOTS(*from);
            }
            if (dots & 1u) target->plot(target->ctx, x + c, y + r);
        }
        if (++in == band) {
            in = 0;
            band_at += band_bytes;
        }
    }
}
#else
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
#endif

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

/* The dots of a block of a cell, n columns from column c0 by m rows from row r0, whose top
 * left dot goes to column bx and row by of the buffer, the whole block inside it. */
typedef struct {
    const sorvane_cell *cell;
    int c0, r0, n, m, bx, by;
} block;

/* The bits of a row of a block from column c on, at most eight, bit 0 column c. */
#define ROW_BITS(rows, c, end) \
    (DOTS((rows).base[((c) >> 3) * (rows).band + (rows).in]) >> ((c) & 7) & ((end) - (c) < 8 ? (1u << ((end) - (c))) - 1u : 0xFFu))

/* The source bytes of a block's rows, for the byte-wise paths: where a row's first byte lies
 * from the row's start (first * band), how many there are, the first and last masked to the
 * block's columns; and where the row is, band by band. Plain locals in the loops below, so
 * that an 8-bit processor keeps them in registers. */
typedef struct {
    const unsigned char *band_at; /* the start of the band of the current row */
    unsigned in, band, band_bytes;
    unsigned first, count; /* the first source byte of a row (its index), how many */
    unsigned char first_mask, last_mask;
} source;

static void source_of(const block *b, source *s) {
    const int end = b->c0 + b->n - 1, parts = (b->cell->width + 7) / 8;
    int first = 0;
    while (b->r0 - first >= b->cell->band) first += b->cell->band;
    s->band = (unsigned)b->cell->band;
    s->band_bytes = s->band * (unsigned)parts;
    s->band_at = b->cell->bytes + (unsigned)first * (unsigned)parts;
    s->in = (unsigned)(b->r0 - first);
    s->first = (unsigned)b->c0 >> 3;
    s->count = ((unsigned)end >> 3) - s->first + 1u;
    s->first_mask = (unsigned char)(0xFFu << (b->c0 & 7));
    s->last_mask = (unsigned char)(0xFFu >> (7 - (end & 7)));
    if (s->count == 1u) s->first_mask &= s->last_mask;
}

/* Rows of bits: each row of the block shifted into the buffer's bytes, a byte at a time. The
 * block's column c lands at bit (bx - c0 + c) of the buffer's row, so every source byte shifts
 * by the same (bx - c0) % 8; when the block starts inside its first source byte and the
 * buffer's row at its first bit, the low part of that shift falls before the row, masked. */
static void put_rows(const sorvane_target *target, const block *b) {
    const size_t stride = ((unsigned)target->width + 7u) / 8u;
    const int msb = target->layout == SORVANE_ROWS_MSB, skip = b->c0 & 7;
    const unsigned shift = ((unsigned)b->bx - (unsigned)b->c0) & 7u;
    const int before = b->bx < skip; /* the first byte's low part lies before the row */
    unsigned char *row = (unsigned char *)target->buffer + (size_t)b->by * stride + (size_t)(before ? 0 : (b->bx - skip) >> 3);
    source s;
    const unsigned char *band_at, *from;
    unsigned in, band, count, offset;
    unsigned char first_mask, last_mask;
    int i;
    source_of(b, &s);
    band_at = s.band_at, in = s.in, band = s.band, count = s.count, offset = s.first * s.band;
    first_mask = s.first_mask, last_mask = s.last_mask;
    for (i = b->m; i > 0; --i, row += i ? stride : 0) {
        unsigned char *to = row;
        unsigned mask = first_mask, carry = 0, k;
        for (k = count, from = band_at + in + offset; k > 0; --k, from += band, mask = 0xFFu) {
            unsigned w = DOTS(*from) & mask;
            if (k == 1u) w &= last_mask;
            w = w << shift | carry;
            carry = w >> 8;
            w &= 0xFFu;
            if (before && k == count) continue;
            if (w) *to |= (unsigned char)(msb ? mirror_byte(w) : w);
            ++to;
        }
        if (carry) *to |= (unsigned char)(msb ? mirror_byte(carry) : carry);
        if (++in == band) {
            in = 0;
            if (i > 1) band_at += s.band_bytes;
        }
    }
}

/* Pages: the rows of the block that go to one page, up to eight, make a byte of each of its
 * columns (bit by + row % 8), ORed into the page byte. */
static void put_pages(const sorvane_target *target, const block *b) {
    const size_t width = (size_t)target->width;
    unsigned char *page = (unsigned char *)target->buffer + (size_t)(b->by >> 3) * width + (size_t)b->bx;
    unsigned char columns[SORVANE_GLYPH_MAX]; /* by the cell's column */
    unsigned char bit = (unsigned char)(1u << (b->by & 7));
    unsigned char *const first_column = columns + b->c0;
    source s;
    const unsigned char *band_at, *from;
    unsigned in, band, count, offset;
    unsigned char first_mask, last_mask;
    int i, j;
    source_of(b, &s);
    band_at = s.band_at, in = s.in, band = s.band, count = s.count, offset = s.first * s.band;
    first_mask = s.first_mask, last_mask = s.last_mask;
    for (j = 0; j < b->n; ++j) first_column[j] = 0;
    for (i = b->m; i > 0; --i) {
        unsigned char *column = columns + 8u * s.first;
        unsigned char mask = first_mask;
        unsigned k;
        for (k = count, from = band_at + in + offset; k > 0; --k, from += band, column += 8, mask = 0xFFu) {
            unsigned char v = (unsigned char)(DOTS(*from) & mask), *c = column;
            if (k == 1u) v &= last_mask;
            for (; v; v >>= 1, ++c)
                if (v & 1u) *c |= bit;
        }
        if (bit == 0x80u || i == 1) {
            unsigned char *c = first_column, *to = page;
            for (j = b->n; j > 0; --j, ++c, ++to)
                if (*c) {
                    *to |= *c;
                    *c = 0;
                }
            if (i > 1) page += width;
            bit = 1;
        } else {
            bit = (unsigned char)(bit << 1);
        }
        if (++in == band) {
            in = 0;
            if (i > 1) band_at += s.band_bytes;
        }
    }
}

/* RGB565: the foreground for each set dot, the background (unless transparent) for the others. */
static void put_colours(const sorvane_target *target, const block *b) {
    const size_t width = (size_t)target->width;
    const int swap = target->layout == SORVANE_RGB565_SWAPPED, end = b->c0 + b->n;
    const int fore = target->foreground != SORVANE_TRANSPARENT, back = target->background != SORVANE_TRANSPARENT;
    unsigned fg = (unsigned)(target->foreground & 0xFFFFu), bg = (unsigned)(target->background & 0xFFFFu);
    unsigned short *row = (unsigned short *)target->buffer + (size_t)b->by * width + (size_t)b->bx;
    rows_cursor rows = {0, 0, 1, 1}; /* no rows when the cell has no bytes */
    int i;
    if (swap) {
        fg = (fg >> 8 | fg << 8) & 0xFFFFu;
        bg = (bg >> 8 | bg << 8) & 0xFFFFu;
    }
    if (b->cell->bytes) rows_start(&rows, b->cell, b->r0);
    for (i = 0; i < b->m; ++i) {
        int c;
        if (i) {
            row += width;
            if (b->cell->bytes) rows_next(&rows);
        }
        for (c = b->c0; c < end; c = (c | 7) + 1) {
            unsigned short *to = row + (c - b->c0);
            const int count = ((c | 7) + 1 < end ? (c | 7) + 1 : end) - c;
            unsigned v = b->cell->bytes ? ROW_BITS(rows, c, end) : 0;
            int k;
            if (back) {
                for (k = 0; k < count; ++k, v >>= 1)
                    if (v & 1u) {
                        if (fore) to[k] = (unsigned short)fg;
                    } else {
                        to[k] = (unsigned short)bg;
                    }
            } else if (fore) {
                for (; v; v >>= 1, ++to)
                    if (v & 1u) *to = (unsigned short)fg;
            }
        }
    }
}

static void put_block(const sorvane_target *target, const block *b) {
    if (target->layout == SORVANE_PAGES) put_pages(target, b);
    else if (target->layout <= SORVANE_ROWS_LSB) put_rows(target, b);
    else put_colours(target, b);
}

/* A turned target: the block turned into a cell of its own (rows of bytes, band 1), eight of
 * its rows at a time, each strip going to the buffer as an unturned block. (ux, uy) is the
 * block's top left in the unturned target. Row i, column j of the block is, in the turned
 * cell, column m - 1 - i of row j (one turn), column n - 1 - j of row m - 1 - i (two), or
 * column i of row n - 1 - j (three): a strip of rows takes some columns of every row of the
 * block (one or three turns) or some rows of it (two), so each dot is read once. */
static void put_turned(const sorvane_target *target, const block *b, int ux, int uy) {
    unsigned char bytes[8 * ((SORVANE_GLYPH_MAX + 7) / 8)];
    const int turns = target->turns, n = b->n, m = b->m;
    const int width = turns == 2 ? n : m, height = turns == 2 ? m : n, parts = (width + 7) / 8;
    sorvane_cell strip;
    block whole;
    int top, by;
    strip.width = width;
    strip.band = 1;
    strip.bytes = b->cell->bytes ? bytes : 0;
    whole.cell = &strip;
    whole.c0 = 0;
    whole.r0 = 0;
    whole.n = width;
    /* Where the turned block's top left lands: the formulas of sorvane_target_rotate, applied
     * to the block's corners. */
    whole.bx = turns == 3 ? uy : target->width - (turns == 1 ? uy + m : ux + n);
    by = turns == 1 ? ux : target->height - (turns == 2 ? uy + m : ux + n);
    for (top = 0; top < height; top += 8) {
        const int k = height - top < 8 ? height - top : 8;
        whole.by = by + top;
        strip.height = k;
        whole.m = k;
        if (strip.bytes) {
            rows_cursor rows;
            int i, c;
            for (i = 0; i < parts * k; ++i) bytes[i] = 0;
            if (turns == 2) { /* block rows m - top - k to m - 1 - top, each turned about */
                const int first = m - top - k, end = b->c0 + n;
                rows_start(&rows, b->cell, b->r0 + first);
                for (i = 0; i < k; ++i) {
                    if (i) rows_next(&rows);
                    for (c = b->c0; c < end; c = (c | 7) + 1) {
                        const int x = n - 1 - (c - b->c0);
                        unsigned char *to = bytes + (k - 1 - i) * parts + (x >> 3);
                        unsigned v = ROW_BITS(rows, c, end), mask = 1u << (x & 7);
                        for (; v; v >>= 1) { /* to moves only for a bit still to set */
                            if (v & 1u) *to |= (unsigned char)mask;
                            if (!(mask >>= 1) && v > 1u) {
                                mask = 0x80u;
                                --to;
                            }
                        }
                    }
                }
            } else { /* block columns from, to end: the strip's rows, down (one) or up (three) */
                const int from = b->c0 + (turns == 1 ? top : n - top - k), end = from + k;
                const int step = turns == 1 ? parts : -parts;
                rows_start(&rows, b->cell, b->r0);
                for (i = 0; i < m; ++i) {
                    const int x = turns == 1 ? m - 1 - i : i;
                    const unsigned char mask = (unsigned char)(1u << (x & 7));
                    if (i) rows_next(&rows);
                    for (c = from; c < end; c = (c | 7) + 1) {
                        unsigned char *to = bytes + (turns == 1 ? c - from : end - 1 - c) * parts + (x >> 3);
                        unsigned v = ROW_BITS(rows, c, end);
                        for (; v; v >>= 1) {
                            if (v & 1u) *to |= mask;
                            if (v > 1u) to += step;
                        }
                    }
                }
            }
        }
        put_block(target, &whole);
    }
}

/* A buffer target: the cell clipped to the buffer, then drawn by its layout. A function of its
 * own, so that a processor whose compiler sets up every local of a function on entry (SDCC for
 * the 8051, --stack-auto) does not hold the block on the plot path. */
static void put_buffer(const sorvane_target *target, int x, int y, const sorvane_cell *cell) {
    int c1, r1;
    block b;
    /* Clipped in the unturned target, which is height by width dots when turned a quarter. */
    if (!clip(x, cell->width, target->turns & 1 ? target->height : target->width, &b.c0, &c1) ||
        !clip(y, cell->height, target->turns & 1 ? target->width : target->height, &b.r0, &r1))
        return;
    b.cell = cell;
    b.n = c1 - b.c0;
    b.m = r1 - b.r0;
    b.bx = x + b.c0;
    b.by = y + b.r0;
    if (target->turns) put_turned(target, &b, b.bx, b.by);
    else put_block(target, &b);
}

void sorvane_put_cell(const sorvane_target *target, int x, int y, const sorvane_cell *cell) {
    if (!target || !cell || cell->width < 1 || cell->width > SORVANE_GLYPH_MAX || cell->height < 1 ||
        cell->height > SORVANE_GLYPH_MAX || cell->band < 1)
        return;
    if (target->plot) {
        plot_cell(target, x, y, cell);
        return;
    }
    if (!target->buffer || target->width < 1 || target->height < 1 || target->layout > SORVANE_RGB565_SWAPPED ||
        target->turns > 3)
        return; /* not set up by the calls above */
    if (!cell->bytes && (target->layout < SORVANE_RGB565 || target->background == SORVANE_TRANSPARENT)) return;
    put_buffer(target, x, y, cell);
}
