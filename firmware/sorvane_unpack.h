/* Inside the reader: the decoder of a glyph compressed on its own (generate --compress). The
 * glyph is coded dot by dot, row after row, by a binary arithmetic coder whose chance for each
 * dot is looked up in the font's model by a few dots already decoded around it.
 *
 * The model: two bytes of header, then a table of 2^bits chances.
 *   byte 0: bits (Sorvane writes 4 to 12) in bits 0-3; how many dots the row above looks
 *           ahead of the dot (0 to 3) in bits 4-5; the row two above, in bits 6-7.
 *   byte 1: where the dots of the dot's own row start in the context, in bits 0-3; where the
 *           row two above's start, in bits 4-7. The row above's fill it from bit 0.
 *   then:   for each context, the chance that the dot is clear, in 256ths.
 * The context of a dot: from bit 0 the dots of the row above, from the first start the dots
 * of its own row before it, from the second the row two above's, each field the newest
 * (furthest right) first, each row above from the dot `ahead` to the right of it; bits from
 * `bits` up are dropped.
 * The coder: range starts at 0xFFFF and the code at the first 16 bits. A dot's bound is
 * (range >> 8) times its chance: a code below it is a clear dot, and range becomes the bound;
 * else the dot is set, and the bound comes off the code and off range. Then, while range is
 * below 0x8000, range and the code double and the code takes the next bit.
 * A glyph's bytes: the code, its first bit the top bit of its first byte, zeros after its end
 * left off. A glyph of as many bytes as its cell (SORVANE_UNPACK_CELL_BYTES) is stored raw:
 * it is its cell as it stands, and the reader draws it without this decoder. */
#ifndef SORVANE_UNPACK_H
#define SORVANE_UNPACK_H

#include "sorvane_font.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The bytes of a cell of width by height dots in bands of band rows: whole bands of rows of
 * (width + 7) / 8 bytes each (sorvane_cell.h). */
#define SORVANE_UNPACK_CELL_BYTES(width, height, band) \
    (((height) + (band) - 1) / (band) * (band) * (((width) + 7) / 8))

/* The bytes of a model whose first byte is b: its header and its table. */
#define SORVANE_UNPACK_MODEL_BYTES(b) (2u + (1u << ((b) & 15u)))

/* Decodes the code of length bytes at bytes (read as zeros past their end) into cell: the
 * glyph's bytes as the font stores them (sorvane_cell.h), width 1 to 32 dots, any height,
 * band 1 or more. Whatever the bytes and the model, it writes every byte of each row (the
 * unused bits of a row's last byte clear) and nothing outside the cell's
 * SORVANE_UNPACK_CELL_BYTES(width, height, band) bytes, reads the model's
 * SORVANE_UNPACK_MODEL_BYTES(model[0]) bytes through SORVANE_READ_BYTE at most, and ends after
 * width * height dots. Returns SORVANE_OK, or SORVANE_ERR_INVAL for a width or band it cannot
 * take. */
int sorvane_unpack(const SORVANE_FLASH_SPACE unsigned char *model, const unsigned char *bytes, unsigned length,
                   unsigned char *cell, int width, int height, int band);

/* The same with a model in RAM (an image's models, sorvane_image_models): the one decoder
 * where the flash is plain memory, a second built of the same source where it is not. */
#if SORVANE_FLASH_PLAIN
#define sorvane_unpack_ram sorvane_unpack
#else
int sorvane_unpack_ram(const unsigned char *model, const unsigned char *bytes, unsigned length, unsigned char *cell,
                       int width, int height, int band);
#endif

#ifdef __cplusplus
}
#endif

#endif
