/* The firmware reader of a font image that Sorvane writes (generate --image): the same
 * characters, key and half-width glyphs as the include file, kept in external flash (SPI
 * flash, an SD card) and read one glyph at a time through a callback. No heap, no library
 * calls; the caller owns the small sorvane_image. The image's bytes are described in
 * docs/font-image.md. Portable C99. */
#ifndef SORVANE_IMAGE_H
#define SORVANE_IMAGE_H

#include <stdint.h>

#include "sorvane_font.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Reads length bytes of the image from offset into buffer; returns 0 when they were read. */
typedef int (*sorvane_read_fn)(void *ctx, unsigned long offset, void *buffer, unsigned length);

/* An open image: where its tables are, and how to read it. */
typedef struct {
    sorvane_read_fn read;
    void *ctx;
    uint32_t keys, alt, glyphs, ascii, kana; /* the tables' offsets; 0 for one it lacks */
    uint32_t size;                           /* of the whole image */
    uint16_t count;                          /* characters */
    uint8_t key;                             /* 0 Shift_JIS codes, 1 Unicode code points */
    uint8_t side;                            /* 14, 16 or 24 dots */
    uint8_t glyph_bytes, half_bytes;
} sorvane_image;

/* What sorvane_open_image and sorvane_check_image find. */
enum {
    SORVANE_IMAGE_OK = 0,
    SORVANE_IMAGE_UNREADABLE = 1,    /* the read callback failed */
    SORVANE_IMAGE_NOT_AN_IMAGE = 2,  /* the magic number is not there */
    SORVANE_IMAGE_OTHER_VERSION = 3, /* a version of the format this reader does not know */
    SORVANE_IMAGE_BAD_SIZES = 4,     /* the header's sizes and offsets do not fit together */
    SORVANE_IMAGE_BAD_CRC = 5,       /* the tables are not what the header's CRC-32 says */
    SORVANE_IMAGE_BAD_HEADER = 6     /* the header is not what its own CRC-32 says */
};

/* Reads and checks the header of an image; returns SORVANE_IMAGE_OK, or why not. */
int sorvane_open_image(sorvane_image *image, sorvane_read_fn read, void *ctx);

/* Reads the whole image and checks its tables against the header's CRC-32, as a firmware may
 * do at start-up for what it flashed; returns SORVANE_IMAGE_OK or SORVANE_IMAGE_BAD_CRC (or
 * SORVANE_IMAGE_UNREADABLE). */
int sorvane_check_image(const sorvane_image *image);

/* As sorvane_draw_utf8 and sorvane_draw_sjis, from an image: the same dots and advances. A
 * full-width glyph takes at most ceil(log2(count + 1)) reads of a key and one read for each
 * row of the glyph (so that a row, not a glyph, is kept on the stack); a half-width glyph one
 * read a row. */
int sorvane_image_draw_utf8(const sorvane_image *image, const char *text, int x, int y, sorvane_plot_fn plot, void *ctx);
int sorvane_image_draw_sjis(const sorvane_image *image, const char *text, int x, int y, sorvane_plot_fn plot, void *ctx);
int sorvane_image_missing_utf8(const sorvane_image *image, const char *text);
int sorvane_image_missing_sjis(const sorvane_image *image, const char *text);

/* The i-th glyph of the image, and the half-width glyph of a byte; 0, or -1 when there is
 * none or it cannot be read. */
int sorvane_image_glyph_at(const sorvane_image *image, int i, sorvane_glyph *glyph);
int sorvane_image_half_glyph(const sorvane_image *image, unsigned char code, sorvane_glyph *glyph);

#ifdef __cplusplus
}
#endif

#endif
