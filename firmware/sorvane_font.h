/* The firmware reader of the fonts Sorvane writes: an include file's tables, linked into the
 * firmware, or an image in external flash, read through a callback. Both are a sorvane_font,
 * and every call that draws, measures or looks up takes one, so a firmware may hold as many
 * fonts as it likes. Text comes in UTF-8 or in Shift_JIS; the dots go to a sorvane_target: a
 * plot callback, or a buffer in the display's own layout.
 *
 * Portable C99, also compiled as C++: no heap, no library calls, the same result whether
 * plain char is signed or unsigned and whether int has 16 or 32 bits. Errors are negative
 * codes, named below, as littlefs gives them.
 *
 * Tables in flash: SORVANE_FONT_FLASH goes before each table of an include file (PROGMEM with
 * -DSORVANE_AVR_PROGMEM, or __flash with -DSORVANE_FONT_FLASH=__flash under -std=gnu99),
 * SORVANE_FLASH_SPACE qualifies the pointers the reader reads them through (__flash, or
 * nothing), and SORVANE_READ_BYTE(p) and SORVANE_READ_WORD(p) read a byte and a 16-bit code
 * at p. Build the reader and every font with the same definitions. */
#ifndef SORVANE_FONT_H
#define SORVANE_FONT_H

/* SORVANE_FLASH_PLAIN: whether the flash is read as RAM is (none of the hooks below set), so
 * that one decoder reads a model wherever it lies. */
#if !defined(SORVANE_AVR_PROGMEM) && !defined(SORVANE_FONT_FLASH) && !defined(SORVANE_FLASH_SPACE) && \
    !defined(SORVANE_READ_BYTE)
#define SORVANE_FLASH_PLAIN 1
#else
#define SORVANE_FLASH_PLAIN 0
#endif
#ifdef SORVANE_AVR_PROGMEM
#include <avr/pgmspace.h>
#define SORVANE_FONT_FLASH PROGMEM
#define SORVANE_READ_BYTE(p) pgm_read_byte(p)
#define SORVANE_READ_WORD(p) pgm_read_word(p)
#endif
#ifndef SORVANE_FONT_FLASH
#define SORVANE_FONT_FLASH
#endif
#ifndef SORVANE_FLASH_SPACE
#ifdef SORVANE_AVR_PROGMEM
#define SORVANE_FLASH_SPACE
#else
#define SORVANE_FLASH_SPACE SORVANE_FONT_FLASH
#endif
#endif
#ifndef SORVANE_READ_BYTE
#define SORVANE_READ_BYTE(p) (*(p))
#endif
#ifndef SORVANE_READ_WORD
#define SORVANE_READ_WORD(p) (*(p))
#endif

/* The widest and tallest cell the reader draws: 32 dots. A firmware whose fonts are smaller
 * may build everything with a smaller value (-DSORVANE_GLYPH_MAX=16): a drawing call holds
 * one glyph of SORVANE_GLYPH_MAX * ((SORVANE_GLYPH_MAX + 7) / 8) bytes on the stack, and a
 * compressed font's code beside it while it is unpacked (as many bytes, at least 19). */
#ifndef SORVANE_GLYPH_MAX
#define SORVANE_GLYPH_MAX 32
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Errors, as negative numbers of errno, as littlefs gives them. A read callback returns 0, or
 * a negative code of its own, which comes back to the caller as it stands. */
enum {
    SORVANE_OK = 0,
    SORVANE_ERR_NO_TABLE = -2,      /* the image lacks its keys or its glyphs */
    SORVANE_ERR_IO = -5,            /* a read failed and gave no negative code of its own */
    SORVANE_ERR_NOT_IMAGE = -8,     /* the bytes are not a Sorvane image: no magic number */
    SORVANE_ERR_INVAL = -22,        /* an argument the call cannot take */
    SORVANE_ERR_NO_IMAGE = -61,     /* the font names no image (made without --image) */
    SORVANE_ERR_BAD_HEADER = -74,   /* the image's header is not what its own CRC-32 says */
    SORVANE_ERR_BAD_SIZES = -75,    /* the header's sizes, offsets and geometry do not fit together */
    SORVANE_ERR_CORRUPT = -84,      /* the image's tables are not what the header's CRC-32 says */
    SORVANE_ERR_VERSION = -95,      /* a version, a needed table or a geometry this reader cannot draw */
    SORVANE_ERR_OTHER_IMAGE = -116  /* the image is of another generation than the font's tables */
};

/* Reads length bytes of an image from offset into buffer; returns 0, or a negative code. */
typedef int (*sorvane_read_fn)(void *ctx, unsigned long offset, void *buffer, unsigned length);

/* What a font holds, in its flags. */
enum {
    SORVANE_HAS_ASCII = 1, /* half-width glyphs of 0x20 to 0x7E */
    SORVANE_HAS_KANA = 2,  /* half-width glyphs of 0xA1 to 0xDF */
    SORVANE_HAS_ALT = 4    /* the other key, each character's code in it */
};

/* A font: an include file's tables (a named include file defines one; sorvane_font_file.c
 * makes one of a file made without a name), or an image opened into the caller's memory by
 * sorvane_open_image. Its fields are the reader's; a firmware reads them at most. */
typedef struct sorvane_font {
    /* The geometry. A full-width glyph is width dots by height, its rows stored in bands of
     * band rows: for each band, the first byte (dots 0 to 7) of each of its rows, then the
     * next byte of each, and so on. A half-width glyph is half_width by height, each row in
     * its bytes, the first byte first. Bit x % 8 of a row's byte x / 8 is the x-th dot from
     * the left (bit 7 - x % 8 when built with SORVANE_MSB_LEFT). */
    unsigned char width, height, half_width, band;
    unsigned char key;   /* 0: Shift_JIS codes, 1: Unicode code points */
    unsigned char flags; /* SORVANE_HAS_ASCII, SORVANE_HAS_KANA, SORVANE_HAS_ALT */
    unsigned short glyph_bytes, half_bytes;
    unsigned short count;  /* two-byte characters */
    unsigned long image;   /* the CRC-32 of the header of the image that goes with the tables
                              (0: none named), or of the opened image's own header */
    /* Tables: in flash; null in an opened image. keys[i] is the i-th character's key,
     * ascending; alt[i] its code in the other key (0: none). */
    const SORVANE_FLASH_SPACE unsigned short *keys, *alt;
    const SORVANE_FLASH_SPACE unsigned char *glyphs, *ascii, *kana;
    /* A compressed set (generate --compress), null when the set is raw: the full-width set's
     * model and index (glyphs then points at its packed bytes); the half-width set's model,
     * index and packed bytes (ASCII first if the font has it, then kana; ascii and kana null). */
    const SORVANE_FLASH_SPACE unsigned char *model, *starts;
    const SORVANE_FLASH_SPACE unsigned char *half_model, *half_starts, *half_packed;
    /* An image: how to read it, where its tables are, and the first failed read of the last
     * call that drew, measured or counted with it. */
    sorvane_read_fn read; /* null for tables */
    void *ctx;
    unsigned long keys_at, alt_at, glyphs_at, ascii_at, kana_at, size;
    /* A compressed image: where its models, indexes and packed bytes are (0: the set is raw;
     * glyphs_at is the full-width set's packed bytes), and its models in the caller's RAM
     * (sorvane_image_models): model_bytes of them, the full-width set's first. */
    unsigned long model_at, starts_at, half_model_at, half_starts_at, half_packed_at;
    unsigned long packed_bytes, half_packed_bytes; /* the lengths of the packed tables */
    const unsigned char *models; /* null until sorvane_image_models */
    unsigned short model_bytes;
    unsigned short header;
    unsigned char version;
    int error;
} sorvane_font;

/* The initializer of a font of tables, as a named include file writes it: model, starts,
 * half_model, half_starts and half_packed are 0 for a raw set. */
#define SORVANE_FONT_TABLES(width, height, half_width, band, key, flags, glyph_bytes, half_bytes, count, image, \
                            keys, alt, glyphs, ascii, kana, model, starts, half_model, half_starts, half_packed)  \
    {(width), (height), (half_width), (band), (key), (flags), (glyph_bytes), (half_bytes), (count), (image),       \
     (keys), (alt), (glyphs), (ascii), (kana), (model), (starts), (half_model), (half_starts), (half_packed),       \
     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}

/* Opens an image through read(ctx, ...) into font, memory the caller owns and keeps while it
 * draws with it: reads and checks the header and its directory of tables (a table it does not
 * know is passed over, unless the image says a reader needs it). Images of version 1 (what
 * 1.11 wrote) open too. Returns SORVANE_OK or a negative code; a font that did not open holds
 * no character. A glyph then takes at most ceil(log2(count + 1)) reads to find by either key
 * and one read of its bytes (a half-width glyph that read alone); one more, of its index
 * record, in a compressed set, whose models sorvane_image_models loads first. */
int sorvane_open_image(sorvane_font *font, sorvane_read_fn read, void *ctx);

/* Loads the models of an opened compressed image (generate --compress) into ram, size bytes
 * the caller owns and keeps while it draws with the font: font->model_bytes of them (at most
 * 2,052; 0 for a raw image, which needs no call). Until then a compressed glyph reads as a
 * failure, SORVANE_ERR_INVAL. Returns SORVANE_OK, SORVANE_ERR_INVAL for too small a size, or
 * a read's code. Each glyph then takes the reads of its search (ceil(log2(n + 1)) at most),
 * one of its index record and one of its packed bytes. */
int sorvane_image_models(sorvane_font *font, unsigned char *ram, unsigned size);

/* Reads the whole of an opened image and checks its tables against the header's CRC-32, as a
 * firmware may do at start-up for what it flashed: SORVANE_OK, SORVANE_ERR_CORRUPT, or the
 * read's code. */
int sorvane_check_image(const sorvane_font *font);

/* Whether an opened image is the one a font of tables names (generate --image writes both):
 * SORVANE_OK, SORVANE_ERR_OTHER_IMAGE, or SORVANE_ERR_NO_IMAGE when the tables name none. A
 * firmware asks at start-up: an interrupted generate may leave a new image beside the old
 * tables. */
int sorvane_image_matches(const sorvane_font *tables, const sorvane_font *image);

/* Where the dots go. Set one up with sorvane_target_plot or sorvane_target_buffer, then
 * sorvane_target_colors and sorvane_target_rotate as needed. */
typedef void (*sorvane_plot_fn)(void *ctx, int x, int y);

/* The layouts of a buffer, as displays keep their memory. */
enum {
    SORVANE_ROWS_MSB,      /* a bit a dot, rows of (width + 7) / 8 bytes, the leftmost dot in bit 7 */
    SORVANE_ROWS_LSB,      /* the same, the leftmost dot in bit 0 */
    SORVANE_PAGES,         /* SSD1306, SH1106, ST7565: byte page * width + x holds rows 8 * page to
                              8 * page + 7 of column x, the top one in bit 0 */
    SORVANE_RGB565,        /* a uint16_t a dot, row after row */
    SORVANE_RGB565_SWAPPED /* the same with its two bytes swapped, as an SPI display takes them */
};

/* Colours of the RGB565 layouts are wider than 16 bits, so that this is none of them. */
#define SORVANE_TRANSPARENT 0x10000ul

typedef struct {
    sorvane_plot_fn plot; /* a dot at a time, or null for a buffer */
    void *ctx;
    void *buffer;
    int width, height; /* of the buffer, in dots, as the display has it */
    unsigned char layout;
    unsigned char turns; /* clockwise quarter turns, 0 to 3 */
    unsigned long foreground, background;
} sorvane_target;

/* Every dot that is set goes to plot(ctx, x, y). */
void sorvane_target_plot(sorvane_target *target, sorvane_plot_fn plot, void *ctx);

/* Straight into a buffer of width by height dots in one of the layouts above: the dots are
 * set a byte or a row at a time, and nothing is written outside the buffer. A one-bit layout
 * sets dots and leaves the others; an RGB565 one writes the foreground, white unless told,
 * and the background, transparent unless told. Returns SORVANE_OK, or SORVANE_ERR_INVAL for a
 * layout it does not know or a size below 1 (the target then draws nothing). */
int sorvane_target_buffer(sorvane_target *target, void *buffer, int width, int height, int layout);

/* The colours of an RGB565 layout: set dots get the foreground, the others of each cell the
 * text passes the background, unless it is SORVANE_TRANSPARENT. */
void sorvane_target_colors(sorvane_target *target, unsigned long foreground, unsigned long background);

/* Turns a buffer target clockwise by quarter turns (any int; taken modulo 4). In a buffer of
 * width by height dots, the dot an unturned target would set at (x, y) lands at: one turn,
 * column width - 1 - y and row x (the text runs down, the tops of the glyphs to the right);
 * two, column width - 1 - x and row height - 1 - y; three, column y and row height - 1 - x. */
void sorvane_target_rotate(sorvane_target *target, int quarter_turns);

/* Draws a string up to its terminating zero with row 0 of each cell at y: a full-width
 * character in a cell of font->width, a half-width one (ASCII, half-width katakana; in UTF-8
 * also U+00A5 and U+203E, the bytes 0x5C and 0x7E of JIS X 0201) in half of it. Returns the x
 * after the text, INT_MAX when that lies past it; x and y may be anything an int holds. A
 * character the font lacks (a byte that is no character, one whose glyph is blank, the
 * spaces aside) takes its width and draws nothing. A read that fails draws its character
 * blank, and sorvane_font_error tells it. In a Unicode-keyed font, a Shift_JIS code that
 * code page 932 has twice (NEC's row 13, as 0x879A against 0x81E6) is found by its first
 * code. */
int sorvane_draw_utf8(const sorvane_font *font, const char *text, int x, int y, const sorvane_target *target);
int sorvane_draw_sjis(const sorvane_font *font, const char *text, int x, int y, const sorvane_target *target);

/* The width of a string as drawn, in dots (INT_MAX at most). */
int sorvane_measure_utf8(const sorvane_font *font, const char *text);
int sorvane_measure_sjis(const sorvane_font *font, const char *text);

/* The number of characters of a string the font lacks, as the drawing counts them (a read
 * that failed is no lacking character): a firmware test may fail on any. */
int sorvane_missing_utf8(const sorvane_font *font, const char *text);
int sorvane_missing_sjis(const sorvane_font *font, const char *text);

/* The first failed read of the last call that drew, measured or counted with an image font:
 * SORVANE_OK, or the code. Always SORVANE_OK for tables. */
int sorvane_font_error(const sorvane_font *font);

/* A glyph as dot rows: row r of rows[] holds the dots of row r from the top, bit x being the
 * x-th dot from the left. */
typedef struct {
    int width;  /* font->width, or font->half_width for a half-width glyph */
    int height; /* font->height */
    unsigned long rows[SORVANE_GLYPH_MAX];
} sorvane_glyph;

/* The key of the i-th character (0 past the last), and the place of a key in the font, or
 * -1. By Shift_JIS code (lead byte * 256 + trail byte) or by code point, whatever the font's
 * key: the font's own key is a binary search; the other key (a font made with --key or
 * --half-width) a walk through its table, or in an image a search of its index. A code point
 * is taken in code page 932's form, which the keys hold: U+301C, U+2016, U+2212, U+00A2,
 * U+00A3, U+00AC and the em dash U+2014 find U+FF5E, U+2225, U+FF0D, U+FFE0, U+FFE1, U+FFE2
 * and U+2015. */
unsigned short sorvane_code_at(const sorvane_font *font, int i);
int sorvane_find(const sorvane_font *font, unsigned short key);
int sorvane_find_sjis(const sorvane_font *font, unsigned short code);
int sorvane_find_unicode(const sorvane_font *font, unsigned long code_point);

/* Fills glyph with the i-th glyph, or with the half-width glyph of a byte (0x20 to 0x7E,
 * 0xA1 to 0xDF); returns 0, SORVANE_ERR_INVAL when the font has none, or a read's code. */
int sorvane_glyph_at(const sorvane_font *font, int i, sorvane_glyph *glyph);
int sorvane_half_glyph(const sorvane_font *font, unsigned char byte, sorvane_glyph *glyph);

#ifdef __cplusplus
}
#endif

#endif
