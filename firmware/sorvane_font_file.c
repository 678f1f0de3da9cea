/* A font of an include file made without --name, whose bytes stay those of 1.11: this file
 * includes it (SORVANE_FONT_FILE, "Font.inc" unless told) and makes of its tables the font
 * sorvane_file_font, which every call of sorvane_font.h takes. Build it with the reader:
 *   extern const sorvane_font sorvane_file_font;
 *   sorvane_draw_utf8(&sorvane_file_font, text, x, y, &target); */
#include "sorvane_font.h"

#ifndef SORVANE_FONT_FILE
#define SORVANE_FONT_FILE "Font.inc"
#endif
#include SORVANE_FONT_FILE

/* The geometry of the file's cells, which follows from the bytes of a glyph: 14 rows of 14
 * dots in bands of 7 (K14), 16 of 16, or 24 of 24, in bands of 8. The one place it is written. */
#if FONT_KANJI_SIZE == 28
#define FILE_WIDTH 14
#define FILE_BAND 7
#elif FONT_KANJI_SIZE == 32
#define FILE_WIDTH 16
#define FILE_BAND 8
#elif FONT_KANJI_SIZE == 72
#define FILE_WIDTH 24
#define FILE_BAND 8
#else
#error "FONT_KANJI_SIZE must be 28, 32 or 72"
#endif

/* A file made without --key or --half-width is keyed by Shift_JIS code and has neither the
 * other key nor half-width glyphs. */
#ifdef FONT_KEY
#define FILE_KEY FONT_KEY
#define FILE_ALT ((const SORVANE_FLASH_SPACE unsigned short *)font_kanji_alt)
#define FILE_HAS_ALT SORVANE_HAS_ALT
#else
#define FILE_KEY 0
#define FILE_ALT 0
#define FILE_HAS_ALT 0
#endif
/* The tables as the reader reads them: the XC32 variant's glyphs are of plain char. */
#define FILE_BYTES(table) ((const SORVANE_FLASH_SPACE unsigned char *)(table))

/* A compressed set (generate --compress) stands in its model, index and packed bytes. */
#if defined(FONT_COMPRESSED) && FONT_COMPRESSED
#define FILE_GLYPHS FILE_BYTES(font_kanji_packed)
#define FILE_MODEL FILE_BYTES(font_kanji_model)
#define FILE_STARTS FILE_BYTES(font_kanji_starts)
#else
#define FILE_GLYPHS FILE_BYTES(font_kanji)
#define FILE_MODEL 0
#define FILE_STARTS 0
#endif
#if defined(FONT_HALF_COMPRESSED) && FONT_HALF_COMPRESSED
#define FILE_HALF_MODEL FILE_BYTES(font_half_model)
#define FILE_HALF_STARTS FILE_BYTES(font_half_starts)
#define FILE_HALF_PACKED FILE_BYTES(font_half_packed)
#else
#define FILE_HALF_MODEL 0
#define FILE_HALF_STARTS 0
#define FILE_HALF_PACKED 0
#endif
#if defined(FONT_HALF_ASCII) && FONT_HALF_ASCII
#define FILE_HAS_ASCII SORVANE_HAS_ASCII
#if !(defined(FONT_HALF_COMPRESSED) && FONT_HALF_COMPRESSED)
#define FILE_ASCII FILE_BYTES(font_half_ascii)
#endif
#else
#define FILE_HAS_ASCII 0
#endif
#ifndef FILE_ASCII
#define FILE_ASCII 0
#endif
#if defined(FONT_HALF_KANA) && FONT_HALF_KANA
#define FILE_HAS_KANA SORVANE_HAS_KANA
#if !(defined(FONT_HALF_COMPRESSED) && FONT_HALF_COMPRESSED)
#define FILE_KANA FILE_BYTES(font_half_kana)
#endif
#else
#define FILE_HAS_KANA 0
#endif
#ifndef FILE_KANA
#define FILE_KANA 0
#endif
#ifdef FONT_HALF_SIZE
#define FILE_HALF_BYTES FONT_HALF_SIZE
#else
#define FILE_HALF_BYTES 0
#endif
#ifdef FONT_HALF_WIDTH
#define FILE_HALF_WIDTH FONT_HALF_WIDTH
#else
#define FILE_HALF_WIDTH (FILE_WIDTH / 2)
#endif
#ifdef FONT_IMAGE_CRC
#define FILE_IMAGE FONT_IMAGE_CRC
#else
#define FILE_IMAGE 0
#endif

const sorvane_font sorvane_file_font = SORVANE_FONT_TABLES(
    FILE_WIDTH, FILE_WIDTH, FILE_HALF_WIDTH, FILE_BAND, FILE_KEY, FILE_HAS_ASCII | FILE_HAS_KANA | FILE_HAS_ALT,
    FONT_KANJI_SIZE, FILE_HALF_BYTES, FONT_KANJI_NUM, FILE_IMAGE, (const SORVANE_FLASH_SPACE unsigned short *)font_kanji_index,
    FILE_ALT, FILE_GLYPHS, FILE_ASCII, FILE_KANA, FILE_MODEL, FILE_STARTS, FILE_HALF_MODEL, FILE_HALF_STARTS,
    FILE_HALF_PACKED);
