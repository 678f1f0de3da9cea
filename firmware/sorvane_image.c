/* The image back-end of the firmware reader: opening an image into a sorvane_font, checking
 * it, and finding a character in it; see sorvane_font.h. The walk of sorvane_font.c reads the
 * glyphs. */
#include <stdint.h>

#include "sorvane_reader.h"
#include "sorvane_unpack.h"

/* Version 1 (1.11): a header of 56 bytes, the tables in a fixed order. Version 2: a fixed
 * part of 36 bytes or more, a directory of entry_bytes a table, and the header's CRC-32. The
 * places of the header's fields are those of docs/font-image.md. */
/* chunk: the bytes of one read while a CRC is computed; alt_chunk: while the other key of a
 * version 1 image is walked. Small, for the stack of small processors. */
enum { v1_header = 56, fixed_bytes = 36, entry_bytes = 16, chunk = 2 * entry_bytes, alt_chunk = entry_bytes };

/* The places of the header's fields, one after another as docs/font-image.md lists them:
 * those both versions share, then version 2's and version 1's. */
enum {
    at_version = 8, at_header = at_version + 2,
    /* version 2 */
    at_tables = at_header + 2, at_reserved = at_tables + 2, at_size = at_reserved + 2, at_crc = at_size + 4,
    at_count = at_crc + 4, at_key = at_count + 2, at_width = at_key + 1, at_height = at_width + 1,
    at_half = at_height + 1, at_band = at_half + 1, at_reserved_byte = at_band + 1, at_glyph_bytes = at_reserved_byte + 1,
    at_half_bytes = at_glyph_bytes + 2,
    /* version 1 */
    v1_key = at_header + 2, v1_side = v1_key + 1, v1_half = v1_side + 1, v1_flags = v1_half + 1, v1_count = v1_flags + 1,
    v1_glyph_bytes = v1_count + 2, v1_half_bytes = v1_glyph_bytes + 2, v1_reserved = v1_half_bytes + 2,
    v1_keys = v1_reserved + 2, v1_alt = v1_keys + 4, v1_glyphs = v1_alt + 4, v1_ascii = v1_glyphs + 4,
    v1_kana = v1_ascii + 4, v1_size = v1_kana + 4, v1_crc = v1_size + 4, v1_header_crc = v1_crc + 4,
    /* a directory entry: its tag, then these */
    entry_offset = 4, entry_length = entry_offset + 4, entry_record = entry_length + 4, entry_flags = entry_record + 2
};

/* The tables of version 2, by their tags, and the one bit of a directory entry's flags that
 * this reader knows: a reader that does not know the table must refuse the image. */
enum {
    table_keys, table_alt, table_glyphs, table_ascii, table_kana,
    /* a compressed set's model, index and packed glyphs: the full-width set's, the half-width's */
    table_model, table_starts, table_packed, table_half_model, table_half_starts, table_half_packed, known_tables
};
#define TAG(a, b, c, d) ((uint32_t)(a) | (uint32_t)(b) << 8 | (uint32_t)(c) << 16 | (uint32_t)(d) << 24)
static const uint32_t tags[known_tables] = {
    TAG('K', 'E', 'Y', 'S'), TAG('O', 'T', 'H', 'R'), TAG('G', 'L', 'Y', 'F'), TAG('A', 'S', 'C', 'I'),
    TAG('K', 'A', 'N', 'A'), TAG('M', 'O', 'D', 'L'), TAG('G', 'I', 'D', 'X'), TAG('P', 'A', 'C', 'K'),
    TAG('H', 'M', 'O', 'D'), TAG('H', 'I', 'D', 'X'), TAG('H', 'P', 'A', 'K')};
/* A directory entry's flags: the table is needed; HPAK's: it holds ASCII, kana. */
enum { table_needed = 1, packed_ascii = 2, packed_kana = 4 };
/* The most bits of a model an image holds: the reader keeps it in RAM. */
enum { image_model_bits = 10 };

/* The last place an int holds on every processor. */
enum { place_max = 0x7FFF };

static unsigned get16(const unsigned char *p) { return (unsigned)p[0] | (unsigned)p[1] << 8; }
static uint32_t get32(const unsigned char *p) { return (uint32_t)get16(p) | (uint32_t)get16(p + 2) << 16; }

int sorvane_image_read(const sorvane_font *font, unsigned long offset, void *buffer, unsigned length) {
    int result = font->read(font->ctx, offset, buffer, length);
    if (result > 0) result = SORVANE_ERR_IO;
    /* An image font is never defined const: the first failure is kept in it. */
    if (result != 0 && font->error == 0) ((sorvane_font *)font)->error = result;
    return result;
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

/* The CRC-32 of the bytes from..to - 1, read a chunk at a time, into *crc; 0, or the read's
 * code. */
static int crc_of(const sorvane_font *font, unsigned long from, unsigned long to, uint32_t *crc) {
    unsigned char buffer[chunk];
    uint32_t value = 0xFFFFFFFFu;
    int result;
    while (from < to) {
        const unsigned length = to - from < (unsigned long)chunk ? (unsigned)(to - from) : (unsigned)chunk;
        if ((result = sorvane_image_read(font, from, buffer, length)) != 0) return result;
        value = crc_update(value, buffer, length);
        from += length;
    }
    *crc = value ^ 0xFFFFFFFFu;
    return 0;
}

/* Version 1: whether the header's sizes and offsets describe the tables one after the other,
 * as the writer of 1.11 laid them out, and nothing more: square cells of an even side, their
 * rows in bands of 8 (in two bands when the side is no multiple of 8). */
static int v1_sizes_fit(const sorvane_font *font, const unsigned char *h) {
    const unsigned side = h[v1_side], half = h[v1_half], flags = h[v1_flags];
    const uint32_t count = font->count;
    uint32_t at = v1_header;
    if (get16(h + at_header) != v1_header || get16(h + v1_reserved) != 0 || h[v1_key] > 1 || flags > 3 || side < 2 ||
        side > SORVANE_GLYPH_MAX || side % 2 != 0)
        return 0;
    if (half != side / 2 || get16(h + v1_glyph_bytes) != side * ((side + 7) / 8) ||
        get16(h + v1_half_bytes) != side * ((half + 7) / 8))
        return 0;
    if (font->keys_at != at) return 0;
    at += 2 * count;
    if (font->alt_at != 0 && font->alt_at != at) return 0;
    if (font->alt_at != 0) at += 2 * count;
    if (font->glyphs_at != at) return 0;
    at += count * font->glyph_bytes;
    if ((flags & 1) != (font->ascii_at != 0) || (font->ascii_at != 0 && font->ascii_at != at)) return 0;
    if (font->ascii_at != 0) at += 95u * font->half_bytes;
    if ((flags & 2) != 0 ? font->kana_at != at : font->kana_at != 0) return 0;
    if (font->kana_at != 0) at += 63u * font->half_bytes;
    return font->size == at;
}

static int open_v1(sorvane_font *font, const unsigned char *h) {
    if ((crc_update(0xFFFFFFFFu, h, v1_header_crc) ^ 0xFFFFFFFFu) != get32(h + v1_header_crc)) return SORVANE_ERR_BAD_HEADER;
    font->header = v1_header;
    font->image = get32(h + v1_header_crc);
    font->key = h[v1_key];
    font->width = font->height = h[v1_side];
    font->half_width = h[v1_half];
    font->band = h[v1_side] % 8 == 0 ? 8 : h[v1_side] / 2;
    font->count = (unsigned short)get16(h + v1_count);
    font->glyph_bytes = (unsigned short)get16(h + v1_glyph_bytes);
    font->half_bytes = (unsigned short)get16(h + v1_half_bytes);
    font->keys_at = get32(h + v1_keys);
    font->alt_at = get32(h + v1_alt);
    font->glyphs_at = get32(h + v1_glyphs);
    font->ascii_at = get32(h + v1_ascii);
    font->kana_at = get32(h + v1_kana);
    font->size = get32(h + v1_size);
    return v1_sizes_fit(font, h) ? SORVANE_OK : SORVANE_ERR_BAD_SIZES;
}

/* Version 2: the geometry the header states, if this reader can draw it: cells of up to
 * SORVANE_GLYPH_MAX dots, rows in bands, a half-width cell half as wide. */
static int v2_geometry_fits(const unsigned char *h) {
    const unsigned width = h[at_width], height = h[at_height], half = h[at_half], band = h[at_band];
    return h[at_key] <= 1 && width >= 2 && width <= SORVANE_GLYPH_MAX && height >= 1 && height <= SORVANE_GLYPH_MAX &&
           band >= 1 && height % band == 0 && half == width / 2 && h[at_reserved_byte] == 0 && get16(h + at_reserved) == 0 &&
           get16(h + at_glyph_bytes) == height * ((width + 7) / 8) && get16(h + at_half_bytes) == height * ((half + 7) / 8);
}

/* The bytes of the index of n glyphs: a record of a 3-byte start and n lengths a 16. */
static uint32_t index_bytes(uint32_t n) { return n + 3u * ((n + 15u) / 16u); }

/* A table of the directory that the reader knows, where the header says: the records and
 * the length its kind takes (a compressed set's tables are of bytes, their lengths checked
 * once all are known), inside the image, and not met before. */
static int v2_take_table(sorvane_font *font, const unsigned char *e, int kind, unsigned *seen, uint32_t *at,
                         uint32_t *length) {
    static const unsigned counts[table_model] = {0, 0, 0, 95, 63}; /* 0: one record a character */
    const uint32_t offset = get32(e + entry_offset);
    const unsigned record = kind >= table_model ? 1u : kind == table_keys ? 2u : kind == table_alt ? 4u
                            : kind == table_glyphs ? font->glyph_bytes : font->half_bytes;
    length[kind] = get32(e + entry_length);
    if ((*seen >> kind & 1u) != 0 || get16(e + entry_record) != record || offset < font->header || offset > font->size ||
        length[kind] > font->size - offset)
        return 0;
    if (kind < table_model && length[kind] != (uint32_t)(counts[kind] != 0 ? counts[kind] : font->count) * record) return 0;
    *seen |= 1u << kind;
    at[kind] = offset;
    return 1;
}

/* The bytes of a model at offset, which its first byte tells, if they are its table's
 * length: 0 when not. */
static unsigned model_length(const sorvane_font *font, uint32_t offset, uint32_t length, int *result) {
    unsigned char b;
    if ((*result = sorvane_image_read(font, offset, &b, 1)) != 0) return 0;
    if ((b & 15u) < 1 || (b & 15u) > image_model_bits || length != SORVANE_UNPACK_MODEL_BYTES(b)) return 0;
    return (unsigned)length;
}

/* The tables of version 2 taken: the raw or compressed sets, whole and one kind each. */
static int v2_sets(sorvane_font *font, unsigned seen, const uint32_t *at, const uint32_t *length, unsigned packed_flags) {
    const unsigned full = 1u << table_model | 1u << table_starts | 1u << table_packed;
    const unsigned half = 1u << table_half_model | 1u << table_half_starts | 1u << table_half_packed;
    unsigned full_model = 0, half_model = 0;
    int result = 0;
    font->keys_at = at[table_keys];
    font->alt_at = at[table_alt];
    font->ascii_at = at[table_ascii];
    font->kana_at = at[table_kana];
    if ((seen & full) != 0) {
        if ((seen & full) != full || at[table_glyphs] != 0 ||
            length[table_starts] != index_bytes(font->count) ||
            (full_model = model_length(font, at[table_model], length[table_model], &result)) == 0)
            return result != 0 ? result : SORVANE_ERR_BAD_SIZES;
        font->model_at = at[table_model];
        font->starts_at = at[table_starts];
        font->glyphs_at = at[table_packed];
        font->packed_bytes = length[table_packed];
    } else {
        font->glyphs_at = at[table_glyphs];
    }
    if ((seen & half) != 0) {
        font->flags = (unsigned char)((packed_flags & packed_ascii ? SORVANE_HAS_ASCII : 0) |
                                      (packed_flags & packed_kana ? SORVANE_HAS_KANA : 0));
        if ((seen & half) != half || font->ascii_at != 0 || font->kana_at != 0 || font->flags == 0 ||
            length[table_half_starts] != index_bytes((font->flags & SORVANE_HAS_ASCII ? 95u : 0u) +
                                                     (font->flags & SORVANE_HAS_KANA ? 63u : 0u)) ||
            (half_model = model_length(font, at[table_half_model], length[table_half_model], &result)) == 0)
            return result != 0 ? result : SORVANE_ERR_BAD_SIZES;
        font->half_model_at = at[table_half_model];
        font->half_starts_at = at[table_half_starts];
        font->half_packed_at = at[table_half_packed];
        font->half_packed_bytes = length[table_half_packed];
    }
    font->model_bytes = (unsigned short)(full_model + half_model);
    return font->keys_at != 0 && font->glyphs_at != 0 ? SORVANE_OK : SORVANE_ERR_NO_TABLE;
}

static int open_v2(sorvane_font *font, const unsigned char *h) {
    const unsigned header = get16(h + at_header), tables = get16(h + at_tables);
    unsigned char e[entry_bytes];
    unsigned i, seen = 0, packed_flags = 0;
    uint32_t crc, directory, at[known_tables], length[known_tables];
    int result;
    font->size = get32(h + at_size);
    if ((uint32_t)fixed_bytes + (uint32_t)entry_bytes * tables + 4u > header || header > font->size)
        return SORVANE_ERR_BAD_HEADER;
    if ((result = crc_of(font, 0, header - 4u, &crc)) != 0 || (result = sorvane_image_read(font, header - 4u, e, 4)) != 0)
        return result;
    if (crc != get32(e)) return SORVANE_ERR_BAD_HEADER;
    font->image = crc;
    font->header = (unsigned short)header;
    font->key = h[at_key];
    font->width = h[at_width];
    font->height = h[at_height];
    font->half_width = h[at_half];
    font->band = h[at_band];
    font->count = (unsigned short)get16(h + at_count);
    font->glyph_bytes = (unsigned short)get16(h + at_glyph_bytes);
    font->half_bytes = (unsigned short)get16(h + at_half_bytes);
    if (!v2_geometry_fits(h)) return SORVANE_ERR_BAD_SIZES;
    directory = header - 4u - (uint32_t)entry_bytes * tables;
    for (i = 0; i < known_tables; ++i) at[i] = length[i] = 0;
    for (i = 0; i < tables; ++i) {
        int kind = 0;
        if ((result = sorvane_image_read(font, directory + (uint32_t)entry_bytes * i, e, entry_bytes)) != 0) return result;
        while (kind < known_tables && get32(e) != tags[kind]) ++kind;
        if (kind == known_tables) {
            if ((get16(e + entry_flags) & table_needed) != 0) return SORVANE_ERR_VERSION;
        } else if (!v2_take_table(font, e, kind, &seen, at, length)) {
            return SORVANE_ERR_BAD_SIZES;
        }
        if (kind == table_half_packed) packed_flags = get16(e + entry_flags);
    }
    return v2_sets(font, seen, at, length, packed_flags);
}

/* A font that holds nothing: what a font that did not open is, so that a firmware that draws
 * with it all the same finds nothing, rather than sizes the header made up. */
static void clear(sorvane_font *font) {
    font->width = font->height = font->half_width = font->band = font->key = font->flags = 0;
    font->glyph_bytes = font->half_bytes = font->count = font->header = 0;
    font->version = 0;
    font->image = font->keys_at = font->alt_at = font->glyphs_at = font->ascii_at = font->kana_at = font->size = 0;
    font->keys = font->alt = 0;
    font->glyphs = font->ascii = font->kana = 0;
    font->model = font->starts = font->half_model = font->half_starts = font->half_packed = 0;
    font->model_at = font->starts_at = font->half_model_at = font->half_starts_at = font->half_packed_at = 0;
    font->packed_bytes = font->half_packed_bytes = 0;
    font->models = 0;
    font->model_bytes = 0;
    font->error = SORVANE_OK;
}

static int open_image(sorvane_font *font) {
    static const unsigned char magic[8] = {'S', 'O', 'R', 'V', 'A', 'N', 'E', 0x1A};
    unsigned char h[v1_header];
    int i, result;
    if ((result = sorvane_image_read(font, 0, h, fixed_bytes)) != 0) return result;
    for (i = 0; i < 8; ++i)
        if (h[i] != magic[i]) return SORVANE_ERR_NOT_IMAGE;
    if (get16(h + at_version) != 1 && get16(h + at_version) != 2) return SORVANE_ERR_VERSION;
    font->version = h[at_version];
    if (font->version == 2) return open_v2(font, h);
    if ((result = sorvane_image_read(font, fixed_bytes, h + fixed_bytes, v1_header - fixed_bytes)) != 0) return result;
    return open_v1(font, h);
}

int sorvane_open_image(sorvane_font *font, sorvane_read_fn read, void *ctx) {
    int result;
    clear(font);
    font->read = read;
    font->ctx = ctx;
    if (!read) return SORVANE_ERR_INVAL;
    result = open_image(font);
    if (result != SORVANE_OK) {
        clear(font);
        return result;
    }
    font->flags = (unsigned char)(font->flags | (font->ascii_at != 0 ? SORVANE_HAS_ASCII : 0) |
                                  (font->kana_at != 0 ? SORVANE_HAS_KANA : 0) | (font->alt_at != 0 ? SORVANE_HAS_ALT : 0));
    font->error = SORVANE_OK;
    return SORVANE_OK;
}

int sorvane_image_models(sorvane_font *font, unsigned char *ram, unsigned size) {
    unsigned full = 0, half = 0;
    int result;
    if (!font->read || font->version == 0 || (!ram && font->model_bytes != 0) || size < font->model_bytes)
        return SORVANE_ERR_INVAL;
    font->models = 0;
    if (font->model_at != 0) {
        if ((result = sorvane_image_read(font, font->model_at, ram, 1)) != 0) return result;
        full = SORVANE_UNPACK_MODEL_BYTES(ram[0]);
        if (full > font->model_bytes || (result = sorvane_image_read(font, font->model_at, ram, full)) != 0)
            return result != 0 ? result : SORVANE_ERR_BAD_SIZES;
    }
    if (font->half_model_at != 0) {
        if (full >= font->model_bytes) return SORVANE_ERR_BAD_SIZES;
        half = font->model_bytes - full;
        if ((result = sorvane_image_read(font, font->half_model_at, ram + full, half)) != 0) return result;
        if (SORVANE_UNPACK_MODEL_BYTES(ram[full]) != half) return SORVANE_ERR_BAD_SIZES;
    }
    if (full + half != font->model_bytes) return SORVANE_ERR_BAD_SIZES;
    font->models = ram;
    return SORVANE_OK;
}

int sorvane_check_image(const sorvane_font *font) {
    unsigned char stored[4];
    uint32_t crc;
    int result;
    if (!font->read || font->version == 0) return SORVANE_ERR_INVAL;
    if ((result = sorvane_image_read(font, font->version == 1 ? (unsigned long)v1_crc : (unsigned long)at_crc, stored, 4)) != 0 ||
        (result = crc_of(font, font->header, font->size, &crc)) != 0)
        return result;
    return crc == get32(stored) ? SORVANE_OK : SORVANE_ERR_CORRUPT;
}

int sorvane_image_matches(const sorvane_font *tables, const sorvane_font *image) {
    if (tables->image == 0) return SORVANE_ERR_NO_IMAGE;
    return tables->image == image->image ? SORVANE_OK : SORVANE_ERR_OTHER_IMAGE;
}

/* A place found, as the walk takes it: -1 past the places an int holds everywhere. */
static int place_of(unsigned place) { return place <= place_max ? (int)place : -1; }

/* The place of a code by binary search through a table of count records of record bytes,
 * sorted by the code in their first two bytes: at most ceil(log2(count + 1)) reads. In the
 * keys a record's place is the character's; in the index of the other key (records of 4
 * bytes, sorted by code and then by place) its last two bytes are, and of a code that two
 * characters share (code page 932 has a few twice) the first place is found, as the
 * tables' walk finds it. */
static int search(const sorvane_font *font, unsigned long table, unsigned record, unsigned long code) {
    unsigned char r[4];
    unsigned low = 0, high = font->count; /* the first record of the code is from low to high */
    long found = -1;
    while (low < high) {
        const unsigned middle = low + (high - low) / 2u;
        unsigned here;
        if (sorvane_image_read(font, table + (unsigned long)middle * record, r, record) != 0) return -2;
        here = get16(r);
        if (here < code) {
            low = middle + 1u;
        } else {
            if (here == code) found = record == 4 ? (long)get16(r + 2) : (long)middle;
            high = middle;
        }
    }
    return found >= 0 && (unsigned long)found < font->count ? place_of((unsigned)found) : -1;
}

/* Version 1: the place of a code of the other key, a walk through its table in the order
 * of the keys, a chunk at a time. */
static int walk_alt(const sorvane_font *font, unsigned long code) {
    unsigned char buffer[alt_chunk];
    unsigned first, n, i;
    for (first = 0; first < font->count; first += n) {
        n = font->count - first < alt_chunk / 2 ? font->count - first : alt_chunk / 2;
        if (sorvane_image_read(font, font->alt_at + 2ul * first, buffer, 2u * n) != 0) return -2;
        for (i = 0; i < n; ++i)
            if (get16(buffer + 2 * i) == code) return place_of(first + i);
    }
    return -1;
}

int sorvane_image_find(const sorvane_font *font, int other, unsigned long code) {
    if (!other) return search(font, font->keys_at, 2, code);
    if (font->alt_at == 0 || code == 0) return -1;
    return font->version == 1 ? walk_alt(font, code) : search(font, font->alt_at, 4, code);
}
