/* The firmware reader of a font image: see sorvane_image.h. */
#include "sorvane_image.h"

#include "sorvane_text.h"

/* Version 1 (1.11): a header of 56 bytes, the tables in a fixed order. Version 2: a fixed
 * part of 36 bytes or more, a directory of 16 bytes a table, and the header's CRC-32. */
/* chunk: the bytes of one read while a CRC is computed; alt_chunk: while the other key of a
 * version 1 image is walked. Small, for the stack of small processors. */
enum { v1_header = 56, fixed_bytes = 36, entry_bytes = 16, chunk = 32, alt_chunk = 16 };

/* The tables of version 2, by their tags, and the one bit of a directory entry's flags that
 * this reader knows: a reader that does not know the table must refuse the image. */
enum { table_keys, table_alt, table_glyphs, table_ascii, table_kana, known_tables };
#define TAG(a, b, c, d) ((uint32_t)(a) | (uint32_t)(b) << 8 | (uint32_t)(c) << 16 | (uint32_t)(d) << 24)
static const uint32_t tags[known_tables] = {TAG('K', 'E', 'Y', 'S'), TAG('O', 'T', 'H', 'R'), TAG('G', 'L', 'Y', 'F'),
                                            TAG('A', 'S', 'C', 'I'), TAG('K', 'A', 'N', 'A')};
enum { table_needed = 1 };

/* The last place an int holds on every processor. */
enum { place_max = 0x7FFF };

static unsigned get16(const unsigned char *p) { return (unsigned)p[0] | (unsigned)p[1] << 8; }
static uint32_t get32(const unsigned char *p) { return (uint32_t)get16(p) | (uint32_t)get16(p + 2) << 16; }

static int read_at(const sorvane_image *image, uint32_t offset, void *buffer, unsigned length) {
    return image->read(image->ctx, (unsigned long)offset, buffer, length) == 0 ? 0 : -1;
}

/* The CRC-32 of zlib and PNG (polynomial 0xEDB88320), four bits at a time. */
static uint32_t crc_update(uint32_t crc, const unsigned char *p, unsigned length) {
    static const uint32_t nibble[16] = {0x00000000, 0x1DB71064, 0x3B6E20C8, 0x26D930AC, 0x76DC4190, 0x6B6B51F4,
                                        0x4DB26158, 0x5005713C, 0xEDB88320, 0xF00F9344, 0xD6D6A3E8, 0xCB61B38C,
                                        0x9B64C2B0, 0x86D3D2D4, 0xA00AE278, 0xBDBDF21C};
    unsigned i;
    for (i = 0; i < length; ++i) {
        crc ^= p[i];
        crc = (crc >> 4) ^ nibble[crc & 15];
        crc = (crc >> 4) ^ nibble[crc & 15];
    }
    return crc;
}

/* The CRC-32 of the bytes from..to - 1, read a chunk at a time, into *crc; 0, or -1 when they
 * cannot be read. */
static int crc_of(const sorvane_image *image, uint32_t from, uint32_t to, uint32_t *crc) {
    unsigned char buffer[chunk];
    uint32_t value = 0xFFFFFFFFu;
    while (from < to) {
        const unsigned length = to - from < chunk ? (unsigned)(to - from) : chunk;
        if (read_at(image, from, buffer, length) != 0) return -1;
        value = crc_update(value, buffer, length);
        from += length;
    }
    *crc = value ^ 0xFFFFFFFFu;
    return 0;
}

/* Version 1: whether the header's sizes and offsets describe the tables one after the other,
 * as the writer of 1.11 laid them out, and nothing more. */
static int v1_sizes_fit(const sorvane_image *image, const unsigned char *h) {
    const unsigned side = h[13], half = h[14], flags = h[15];
    const uint32_t count = image->count;
    uint32_t at = v1_header;
    if (get16(h + 10) != v1_header || get16(h + 22) != 0 || h[12] > 1 || flags > 3 ||
        (side != 14 && side != 16 && side != 24))
        return 0;
    if (half != side / 2 || get16(h + 18) != side * (side == 24 ? 3u : 2u) || get16(h + 20) != side * ((half + 7) / 8))
        return 0;
    if (image->keys != at) return 0;
    at += 2 * count;
    if (image->alt != 0 && image->alt != at) return 0;
    if (image->alt != 0) at += 2 * count;
    if (image->glyphs != at) return 0;
    at += count * image->glyph_bytes;
    if ((flags & 1) != (image->ascii != 0) || (image->ascii != 0 && image->ascii != at)) return 0;
    if (image->ascii != 0) at += 95u * image->half_bytes;
    if ((flags & 2) != 0 ? image->kana != at : image->kana != 0) return 0;
    if (image->kana != 0) at += 63u * image->half_bytes;
    return image->size == at;
}

static int open_v1(sorvane_image *image, const unsigned char *h) {
    if ((crc_update(0xFFFFFFFFu, h, 52) ^ 0xFFFFFFFFu) != get32(h + 52)) return SORVANE_IMAGE_BAD_HEADER;
    image->header = v1_header;
    image->crc = get32(h + 52);
    image->key = h[12];
    image->side = h[13];
    image->height = h[13];
    image->band = h[13] == 14 ? 7 : 8;
    image->count = (uint16_t)get16(h + 16);
    image->glyph_bytes = (uint8_t)h[18];
    image->half_bytes = (uint8_t)h[20];
    image->keys = get32(h + 24);
    image->alt = get32(h + 28);
    image->glyphs = get32(h + 32);
    image->ascii = get32(h + 36);
    image->kana = get32(h + 40);
    image->size = get32(h + 44);
    return v1_sizes_fit(image, h) ? SORVANE_IMAGE_OK : SORVANE_IMAGE_BAD_SIZES;
}

/* Version 2: the geometry the header states, if this reader can draw it: cells of up to 24
 * dots, rows in bands, a half-width cell half as wide. */
static int v2_geometry_fits(const unsigned char *h) {
    const unsigned width = h[27], height = h[28], half = h[29], band = h[30];
    /* The walk draws square cells: as many rows as the cell is wide. */
    return h[26] <= 1 && width >= 2 && width <= SORVANE_GLYPH_MAX && height == width &&
           band >= 1 && height % band == 0 && half == width / 2 && h[31] == 0 && get16(h + 14) == 0 &&
           get16(h + 32) == height * ((width + 7) / 8) && get16(h + 34) == height * ((half + 7) / 8);
}

/* A table of the directory that the reader knows, where the header says: the records and
 * the length its kind takes, inside the image, and not met before. */
static int v2_take_table(sorvane_image *image, const unsigned char *e, int kind, unsigned *seen) {
    static const unsigned counts[known_tables] = {0, 0, 0, 95, 63}; /* 0: one record a character */
    const uint32_t offset = get32(e + 4), length = get32(e + 8);
    const unsigned record = kind == table_keys ? 2u : kind == table_alt ? 4u : kind == table_glyphs ? image->glyph_bytes : image->half_bytes;
    const uint32_t records = counts[kind] != 0 ? counts[kind] : image->count;
    if ((*seen >> kind & 1u) != 0 || get16(e + 12) != record || length != records * record || offset < image->header ||
        offset > image->size || length > image->size - offset)
        return 0;
    *seen |= 1u << kind;
    if (kind == table_keys) image->keys = offset;
    else if (kind == table_alt) image->alt = offset;
    else if (kind == table_glyphs) image->glyphs = offset;
    else if (kind == table_ascii) image->ascii = offset;
    else image->kana = offset;
    return 1;
}

static int open_v2(sorvane_image *image, const unsigned char *h) {
    const unsigned header = get16(h + 10), tables = get16(h + 12);
    unsigned char e[entry_bytes];
    unsigned i, seen = 0;
    uint32_t crc, directory;
    image->size = get32(h + 16);
    if ((uint32_t)fixed_bytes + (uint32_t)entry_bytes * tables + 4u > header || header > image->size)
        return SORVANE_IMAGE_BAD_HEADER;
    if (crc_of(image, 0, header - 4u, &crc) != 0 || read_at(image, header - 4u, e, 4) != 0) return SORVANE_IMAGE_UNREADABLE;
    if (crc != get32(e)) return SORVANE_IMAGE_BAD_HEADER;
    image->crc = crc;
    image->header = (uint16_t)header;
    image->key = h[26];
    image->side = h[27];
    image->height = h[28];
    image->band = h[30];
    image->count = (uint16_t)get16(h + 24);
    image->glyph_bytes = (uint8_t)h[32];
    image->half_bytes = (uint8_t)h[34];
    image->keys = image->alt = image->glyphs = image->ascii = image->kana = 0;
    if (!v2_geometry_fits(h)) return SORVANE_IMAGE_BAD_SIZES;
    directory = header - 4u - (uint32_t)entry_bytes * tables;
    for (i = 0; i < tables; ++i) {
        int kind = 0;
        if (read_at(image, directory + (uint32_t)entry_bytes * i, e, entry_bytes) != 0) return SORVANE_IMAGE_UNREADABLE;
        while (kind < known_tables && get32(e) != tags[kind]) ++kind;
        if (kind == known_tables) {
            if ((get16(e + 14) & table_needed) != 0) return SORVANE_IMAGE_OTHER_VERSION;
        } else if (!v2_take_table(image, e, kind, &seen)) {
            return SORVANE_IMAGE_BAD_SIZES;
        }
    }
    return image->keys != 0 && image->glyphs != 0 ? SORVANE_IMAGE_OK : SORVANE_IMAGE_MISSING_TABLE;
}

static int open_image(sorvane_image *image, sorvane_read_fn read, void *ctx) {
    static const unsigned char magic[8] = {'S', 'O', 'R', 'V', 'A', 'N', 'E', 0x1A};
    unsigned char h[v1_header];
    int i;
    image->read = read;
    image->ctx = ctx;
    if (read_at(image, 0, h, fixed_bytes) != 0) return SORVANE_IMAGE_UNREADABLE;
    for (i = 0; i < 8; ++i)
        if (h[i] != magic[i]) return SORVANE_IMAGE_NOT_AN_IMAGE;
    if (get16(h + 8) != 1 && get16(h + 8) != 2) return SORVANE_IMAGE_OTHER_VERSION;
    image->version = h[8];
    if (image->version == 2) return open_v2(image, h);
    if (read_at(image, fixed_bytes, h + fixed_bytes, v1_header - fixed_bytes) != 0) return SORVANE_IMAGE_UNREADABLE;
    return open_v1(image, h);
}

int sorvane_open_image(sorvane_image *image, sorvane_read_fn read, void *ctx) {
    const int result = open_image(image, read, ctx);
    if (result != SORVANE_IMAGE_OK) {
        /* A handle that did not open holds no table: a firmware that draws with it all the same
         * finds nothing, rather than sizes the header made up. */
        image->keys = image->alt = image->glyphs = image->ascii = image->kana = image->size = 0;
        image->count = 0;
        image->glyph_bytes = image->half_bytes = 0;
    }
    return result;
}

int sorvane_check_image(const sorvane_image *image) {
    unsigned char stored[4];
    uint32_t crc;
    if (read_at(image, image->version == 1 ? 48u : 20u, stored, 4) != 0 ||
        crc_of(image, image->header, image->size, &crc) != 0)
        return SORVANE_IMAGE_UNREADABLE;
    return crc == get32(stored) ? SORVANE_IMAGE_OK : SORVANE_IMAGE_BAD_CRC;
}

/* A place found, as the walk takes it: -1 past the places an int holds everywhere. */
static int place_of(unsigned place) { return place <= place_max ? (int)place : -1; }

/* The place of a code by binary search through a table of count records of record bytes,
 * sorted by the code in their first two bytes: at most ceil(log2(count + 1)) reads. In the
 * keys a record's place is the character's; in the index of the other key (records of 4
 * bytes, sorted by code and then by place) its last two bytes are, and of a code that two
 * characters share (code page 932 has a few twice) the first place is found, as the
 * include file's reader finds it. */
static int search(const sorvane_image *image, uint32_t table, unsigned record, unsigned long code) {
    unsigned char r[4];
    unsigned low = 0, high = image->count; /* the first record of the code is from low to high */
    long found = -1;
    while (low < high) {
        const unsigned middle = low + (high - low) / 2u;
        unsigned here;
        if (read_at(image, table + (uint32_t)middle * record, r, record) != 0) return -1;
        here = get16(r);
        if (here < code) {
            low = middle + 1u;
        } else {
            if (here == code) found = record == 4 ? (long)get16(r + 2) : (long)middle;
            high = middle;
        }
    }
    return found >= 0 && (unsigned long)found < image->count ? place_of((unsigned)found) : -1;
}

/* Version 1: the place of a code of the other key, a walk through its table in the order
 * of the keys, a chunk at a time. */
static int walk_alt(const sorvane_image *image, unsigned long code) {
    unsigned char buffer[alt_chunk];
    unsigned first, n, i;
    for (first = 0; first < image->count; first += n) {
        n = image->count - first < alt_chunk / 2 ? image->count - first : alt_chunk / 2;
        if (read_at(image, image->alt + 2u * (uint32_t)first, buffer, 2u * n) != 0) return -1;
        for (i = 0; i < n; ++i)
            if (get16(buffer + 2 * i) == code) return place_of(first + i);
    }
    return -1;
}

static int find_key(const sorvane_image *image, unsigned long code) { return search(image, image->keys, 2, code); }

static int find_alt(const sorvane_image *image, unsigned long code) {
    if (image->alt == 0 || code == 0) return -1;
    return image->version == 1 ? walk_alt(image, code) : search(image, image->alt, 4, code);
}

static int image_find_sjis(const void *font, unsigned short code) {
    const sorvane_image *image = (const sorvane_image *)font;
    return image->key == 0 ? find_key(image, code) : find_alt(image, sorvane_first_sjis(code));
}

static int image_find_unicode(const void *font, unsigned long code_point) {
    const sorvane_image *image = (const sorvane_image *)font;
    return image->key == 1 ? find_key(image, code_point) : find_alt(image, code_point);
}

static int image_has_half(const void *font, unsigned code) {
    const sorvane_image *image = (const sorvane_image *)font;
    return (image->ascii != 0 && code >= 0x20 && code <= 0x7E) || (image->kana != 0 && code >= 0xA1 && code <= 0xDF);
}

/* A glyph read whole, once, while the walk takes its rows one by one: one read a glyph, the
 * bound the header promises. Lives on the stack of one drawing call. */
typedef struct {
    const sorvane_image *image;
    int place;      /* the glyph held: its place, or -1 for a half-width one */
    unsigned code;  /* the byte of a half-width glyph held */
    int held;       /* whether bytes holds that glyph */
    unsigned char bytes[3 * SORVANE_GLYPH_MAX];
} image_reading;

/* Reads the glyph at a place, or the half-width glyph of a byte (place -1), into the
 * reading, unless it holds it already; 0, or -1 when there is none or it cannot be read. */
static int hold_glyph(image_reading *reading, int place, unsigned code) {
    const sorvane_image *image = reading->image;
    uint32_t at;
    unsigned length;
    if (reading->held && reading->place == place && (place >= 0 || reading->code == code)) return 0;
    reading->held = 0;
    if (place >= 0) {
        if ((unsigned)place >= image->count) return -1;
        at = image->glyphs + (uint32_t)(unsigned)place * image->glyph_bytes;
        length = image->glyph_bytes;
    } else {
        if (!image_has_half(image, code)) return -1;
        at = code <= 0x7E ? image->ascii + (uint32_t)(code - 0x20) * image->half_bytes
                          : image->kana + (uint32_t)(code - 0xA1) * image->half_bytes;
        length = image->half_bytes;
    }
    if (read_at(image, at, reading->bytes, length) != 0) return -1;
    reading->place = place;
    reading->code = code;
    reading->held = 1;
    return 0;
}

/* Row r of the glyph the reading holds, bit x the x-th dot from the left. A full-width glyph
 * comes in bands of rows: first the low byte of each row of the band, then the next byte; a
 * half-width one holds its rows from the top, each in one or two bytes, the low byte first. */
static unsigned long held_row(const image_reading *reading, int r) {
    const sorvane_image *image = reading->image;
    const int full = reading->place >= 0, width = full ? image->side : image->side / 2, parts = (width + 7) / 8;
    const int step = full ? image->band : 1;
    const int first = full ? r / step * step * parts + r % step : r * parts;
    unsigned long dots = 0;
    int part;
    for (part = 0; part < parts; ++part)
        dots |= (unsigned long)sorvane_dots_of_byte(reading->bytes[first + part * step]) << (8 * part);
    return dots & ((1ul << width) - 1);
}

static int image_row(const void *font, int place, unsigned code, int r, unsigned long *dots) {
    image_reading *reading = (image_reading *)font;
    if (hold_glyph(reading, place, code) != 0) return -1;
    *dots = held_row(reading, r);
    return 0;
}

/* Fills glyph from what the reading holds. */
static void glyph_of_reading(const image_reading *reading, sorvane_glyph *glyph) {
    int row;
    glyph->width = reading->place >= 0 ? reading->image->side : reading->image->side / 2;
    glyph->height = reading->image->height;
    for (row = 0; row < SORVANE_GLYPH_MAX; ++row) glyph->rows[row] = row < glyph->height ? held_row(reading, row) : 0;
}

int sorvane_image_glyph_at(const sorvane_image *image, int i, sorvane_glyph *glyph) {
    image_reading reading;
    reading.image = image;
    reading.held = 0;
    if (i < 0 || hold_glyph(&reading, i, 0) != 0) return -1;
    glyph_of_reading(&reading, glyph);
    return 0;
}

int sorvane_image_half_glyph(const sorvane_image *image, unsigned char code, sorvane_glyph *glyph) {
    image_reading reading;
    reading.image = image;
    reading.held = 0;
    if (hold_glyph(&reading, -1, code) != 0) return -1;
    glyph_of_reading(&reading, glyph);
    return 0;
}

/* The walk's view of an image: the font it is handed is the reading, which holds the image. */
static int reading_find_sjis(const void *font, unsigned short code) {
    return image_find_sjis(((const image_reading *)font)->image, code);
}

static int reading_find_unicode(const void *font, unsigned long code_point) {
    return image_find_unicode(((const image_reading *)font)->image, code_point);
}

static int reading_has_half(const void *font, unsigned code) {
    return image_has_half(((const image_reading *)font)->image, code);
}

static int walk_image(const sorvane_image *image, const char *text, int utf8, int x, int y, sorvane_plot_fn plot,
                      void *ctx, int *missing) {
    image_reading reading;
    sorvane_font_access f;
    reading.image = image;
    reading.held = 0;
    f.font = &reading;
    f.side = image->side;
    f.find_sjis = reading_find_sjis;
    f.find_unicode = reading_find_unicode;
    f.has_half = reading_has_half;
    f.row = image_row;
    return sorvane_walk(&f, text, utf8, x, y, plot, ctx, missing);
}

int sorvane_image_draw_utf8(const sorvane_image *image, const char *text, int x, int y, sorvane_plot_fn plot, void *ctx) {
    int missing = 0;
    return walk_image(image, text, 1, x, y, plot, ctx, &missing);
}

int sorvane_image_draw_sjis(const sorvane_image *image, const char *text, int x, int y, sorvane_plot_fn plot, void *ctx) {
    int missing = 0;
    return walk_image(image, text, 0, x, y, plot, ctx, &missing);
}

int sorvane_image_missing_utf8(const sorvane_image *image, const char *text) {
    int missing = 0;
    walk_image(image, text, 1, 0, 0, 0, 0, &missing);
    return missing;
}

int sorvane_image_missing_sjis(const sorvane_image *image, const char *text) {
    int missing = 0;
    walk_image(image, text, 0, 0, 0, 0, 0, &missing);
    return missing;
}
