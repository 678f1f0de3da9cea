/* Inside the reader: what the walk of sorvane_font.c asks of the image back-end of
 * sorvane_image.c. Not for a firmware's own use. */
#ifndef SORVANE_READER_H
#define SORVANE_READER_H

#include "sorvane_font.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Reads length bytes of an opened image from offset into buffer: 0, or the read's code (a
 * callback's own negative code as it stands, SORVANE_ERR_IO for any other failure), which is
 * also kept in font->error unless an earlier failure is there. */
int sorvane_image_read(const sorvane_font *font, unsigned long offset, void *buffer, unsigned length);

/* The place of a code in an opened image, by its own key (other 0) or by the other (other 1),
 * -1 when it has none, or -2 when a read failed. */
int sorvane_image_find(const sorvane_font *font, int other, unsigned long code);

#ifdef __cplusplus
}
#endif

#endif
