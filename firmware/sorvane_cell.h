/* Inside the reader: how the walk of a string hands a glyph to a target. */
#ifndef SORVANE_CELL_H
#define SORVANE_CELL_H

#include "sorvane_font.h"

/* A glyph to draw: width by height dots, its bytes as the font stores them, in bands of band
 * rows (band 1 for a half-width glyph: each row in its bytes, one row after another). Row r's
 * byte p (dots 8p to 8p + 7) is bytes[r / band * band * parts + p * band + r % band], parts
 * being (width + 7) / 8. bytes is null for a cell with no dot set, whose background is still
 * drawn. */
typedef struct {
    const unsigned char *bytes;
    int width, height, band;
} sorvane_cell;

#ifdef __cplusplus
extern "C" {
#endif

/* Draws a cell with its top left dot at (x, y) of the unturned target. Nothing is written
 * outside a buffer; a dot past INT_MAX (x + column or y + row beyond an int) is not drawn. */
void sorvane_put_cell(const sorvane_target *target, int x, int y, const sorvane_cell *cell);

#ifdef __cplusplus
}
#endif

#endif
