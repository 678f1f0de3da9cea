/* The firmware reader of a font image: see sorvane_image.h. */
#include "sorvane_image.h"

#include "sorvane_text.h"

enum { header_bytes = 56, version = 1, chunk = 64 };

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

/* Whether the header's sizes and offsets describe the tables one after the other, as the
 * writer lays them out, and nothing more. */
static int sizes_fit(const sorvane_image *image, const unsigned char *h) {
    const unsigned side = h[13], half = h[14], flags = h[15];
    const uint32_t count = image->count;
    uint32_t at = header_bytes;
    if (get16(h + 10) != header_bytes || get16(h + 22) != 0 || h[12] > 1 || flags > 3 ||
        (side != 14 && side != 16 && side != 24))
        return 0;
    if (half != side / 2 || image->glyph_bytes != side * (side == 24 ? 3u : 2u) ||
        image->half_bytes != side * ((half + 7) / 8))
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

int sorvane_open_image(sorvane_image *image, sorvane_read_fn read, void *ctx) {
    static const unsigned char magic[8] = {'S', 'O', 'R', 'V', 'A', 'N', 'E', 0x1A};
    unsigned char h[header_bytes];
    int i;
    image->read = read;
    image->ctx = ctx;
    if (read_at(image, 0, h, header_bytes) != 0) return SORVANE_IMAGE_UNREADABLE;
    for (i = 0; i < 8; ++i)
        if (h[i] != magic[i]) return SORVANE_IMAGE_NOT_AN_IMAGE;
    if (get16(h + 8) != version) return SORVANE_IMAGE_OTHER_VERSION;
    if ((crc_update(0xFFFFFFFFu, h, 52) ^ 0xFFFFFFFFu) != get32(h + 52)) return SORVANE_IMAGE_BAD_HEADER;
    image->key = h[12];
    image->side = h[13];
    image->count = (uint16_t)get16(h + 16);
    image->glyph_bytes = (uint8_t)get16(h + 18);
    image->half_bytes = (uint8_t)get16(h + 20);
    image->keys = get32(h + 24);
    image->alt = get32(h + 28);
    image->glyphs = get32(h + 32);
    image->ascii = get32(h + 36);
    image->kana = get32(h + 40);
    image->size = get32(h + 44);
    if (get16(h + 18) > 72 || get16(h + 20) > 48 || !sizes_fit(image, h)) return SORVANE_IMAGE_BAD_SIZES;
    return SORVANE_IMAGE_OK;
}

int sorvane_check_image(const sorvane_image *image) {
    unsigned char buffer[chunk];
    uint32_t crc = 0xFFFFFFFFu, stored, at;
    if (read_at(image, 48, buffer, 4) != 0) return SORVANE_IMAGE_UNREADABLE;
    stored = get32(buffer);
    for (at = header_bytes; at < image->size;) {
        const unsigned length = image->size - at < chunk ? (unsigned)(image->size - at) : chunk;
        if (read_at(image, at, buffer, length) != 0) return SORVANE_IMAGE_UNREADABLE;
        crc = crc_update(crc, buffer, length);
        at += length;
    }
    return (crc ^ 0xFFFFFFFFu) == stored ? SORVANE_IMAGE_OK : SORVANE_IMAGE_BAD_CRC;
}

/* The key at place i, or -1 when it cannot be read. */
static long key_at(const sorvane_image *image, uint32_t table, int i) {
    unsigned char two[2];
    return read_at(image, table + 2u * (uint32_t)i, two, 2) == 0 ? (long)get16(two) : -1;
}

/* The place of a key by binary search: at most ceil(log2(count + 1)) reads. */
static int find_key(const sorvane_image *image, unsigned long code) {
    int low = 0, high = (int)image->count - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const long here = key_at(image, image->keys, middle);
        if (here < 0) return -1;
        if ((unsigned long)here == code) return middle;
        if ((unsigned long)here < code) low = middle + 1;
        else high = middle - 1;
    }
    return -1;
}

/* The place of a code of the other key: a walk through its table, a chunk at a time. */
static int find_alt(const sorvane_image *image, unsigned long code) {
    unsigned char buffer[chunk];
    int first;
    if (image->alt == 0 || code == 0) return -1;
    for (first = 0; first < image->count; first += chunk / 2) {
        const int n = image->count - first < chunk / 2 ? image->count - first : chunk / 2;
        int i;
        if (read_at(image, image->alt + 2u * (uint32_t)first, buffer, 2u * (unsigned)n) != 0) return -1;
        for (i = 0; i < n; ++i)
            if (get16(buffer + 2 * i) == code) return first + i;
    }
    return -1;
}

static int image_find_sjis(const void *font, unsigned short code) {
    const sorvane_image *image = (const sorvane_image *)font;
    return image->key == 0 ? find_key(image, code) : find_alt(image, code);
}

static int image_find_unicode(const void *font, unsigned long code_point) {
    const sorvane_image *image = (const sorvane_image *)font;
    return image->key == 1 ? find_key(image, code_point) : find_alt(image, code_point);
}

static int image_has_half(const void *font, unsigned code) {
    const sorvane_image *image = (const sorvane_image *)font;
    return (image->ascii != 0 && code >= 0x20 && code <= 0x7E) || (image->kana != 0 && code >= 0xA1 && code <= 0xDF);
}

static void clear_glyph(sorvane_glyph *glyph, int width, int height) {
    int row;
    glyph->width = width;
    glyph->height = height;
    for (row = 0; row < SORVANE_GLYPH_MAX; ++row) glyph->rows[row] = 0;
}

int sorvane_image_glyph_at(const sorvane_image *image, int i, sorvane_glyph *glyph) {
    unsigned char bytes[72];
    const int side = image->side, band = side == 14 ? 7 : 8, parts = side == 24 ? 3 : 2;
    int row, part;
    if (i < 0 || i >= image->count ||
        read_at(image, image->glyphs + (uint32_t)i * image->glyph_bytes, bytes, image->glyph_bytes) != 0)
        return -1;
    clear_glyph(glyph, side, side);
    for (row = 0; row < side; ++row) {
        /* Bands of rows: first the low byte of each row of the band, then the next byte. */
        const int first = row / band * band * parts + row % band;
        for (part = 0; part < parts; ++part)
            glyph->rows[row] |= (unsigned long)sorvane_dots_of_byte(bytes[first + part * band]) << (8 * part);
        glyph->rows[row] &= (1ul << side) - 1;
    }
    return 0;
}

int sorvane_image_half_glyph(const sorvane_image *image, unsigned char code, sorvane_glyph *glyph) {
    unsigned char bytes[48];
    const int side = image->side, row_bytes = image->half_bytes / side;
    const uint32_t table = code <= 0x7E ? image->ascii : image->kana;
    const unsigned first = code <= 0x7E ? 0x20 : 0xA1;
    int row, part;
    if (!image_has_half(image, code) || read_at(image, table + (code - first) * image->half_bytes, bytes, image->half_bytes) != 0)
        return -1;
    clear_glyph(glyph, side / 2, side);
    for (row = 0; row < side; ++row) {
        for (part = 0; part < row_bytes; ++part)
            glyph->rows[row] |= (unsigned long)sorvane_dots_of_byte(bytes[row * row_bytes + part]) << (8 * part);
        glyph->rows[row] &= (1ul << (side / 2)) - 1;
    }
    return 0;
}

/* Row r of the glyph at a place, or of the half-width glyph of a byte (place -1): one read
 * of the row's bytes, so that the walk keeps a row, not a glyph, on the stack. A glyph's
 * rows come in bands: first the low byte of each row of the band, then the next byte. */
static int image_row(const void *font, int place, unsigned code, int r, unsigned long *dots) {
    const sorvane_image *image = (const sorvane_image *)font;
    unsigned char bytes[17];
    uint32_t at;
    unsigned step = 1, count = image->half_bytes / image->side, part; /* count bytes, step apart */
    if (place >= 0) {
        step = image->side == 14 ? 7 : 8;
        count = image->side == 24 ? 3 : 2;
        if ((unsigned)place >= image->count) return -1;
        at = image->glyphs + (uint32_t)place * image->glyph_bytes + (unsigned)r / step * step * count + (unsigned)r % step;
    } else {
        if (!image_has_half(image, code)) return -1;
        at = (code <= 0x7E ? image->ascii + (code - 0x20) * image->half_bytes : image->kana + (code - 0xA1) * image->half_bytes) +
             (unsigned)r * count;
    }
    if (read_at(image, at, bytes, (count - 1) * step + 1) != 0) return -1;
    for (*dots = 0, part = 0; part < count; ++part) *dots |= (unsigned long)sorvane_dots_of_byte(bytes[part * step]) << (8 * part);
    *dots &= (1ul << (place >= 0 ? image->side : image->side / 2)) - 1;
    return 0;
}

static void access_of(const sorvane_image *image, sorvane_font_access *f) {
    f->font = image;
    f->side = image->side;
    f->find_sjis = image_find_sjis;
    f->find_unicode = image_find_unicode;
    f->has_half = image_has_half;
    f->row = image_row;
}

int sorvane_image_draw_utf8(const sorvane_image *image, const char *text, int x, int y, sorvane_plot_fn plot, void *ctx) {
    sorvane_font_access f;
    int missing = 0;
    access_of(image, &f);
    return sorvane_walk(&f, text, 1, x, y, plot, ctx, &missing);
}

int sorvane_image_draw_sjis(const sorvane_image *image, const char *text, int x, int y, sorvane_plot_fn plot, void *ctx) {
    sorvane_font_access f;
    int missing = 0;
    access_of(image, &f);
    return sorvane_walk(&f, text, 0, x, y, plot, ctx, &missing);
}

int sorvane_image_missing_utf8(const sorvane_image *image, const char *text) {
    sorvane_font_access f;
    int missing = 0;
    access_of(image, &f);
    sorvane_walk(&f, text, 1, 0, 0, 0, 0, &missing);
    return missing;
}

int sorvane_image_missing_sjis(const sorvane_image *image, const char *text) {
    sorvane_font_access f;
    int missing = 0;
    access_of(image, &f);
    sorvane_walk(&f, text, 0, 0, 0, 0, 0, &missing);
    return missing;
}
