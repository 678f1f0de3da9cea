#include "fontgen/glyph_coder.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sorvane {

namespace {

constexpr std::array<ContextTemplate, 7> templates{{
    //  left up_left up_right up2_left up2_right
    {1, 1, 1, -1, 0},  // 4 bits
    {2, 1, 1, 0, 0},   // 6
    {2, 1, 1, 1, 1},   // 8
    {2, 2, 2, 1, 1},   // 10
    {3, 2, 2, 1, 1},   // 11
    {4, 2, 2, 1, 1},   // 12
    {3, 2, 2, 2, 1},   // 12
}};

// How the context of each dot is made, as the header of a model tells it; the decoder in C
// walks the same steps.
struct Context {
    unsigned bits, ahead1, ahead2, shift0, shift2, full, keep;

    explicit Context(std::span<const std::uint8_t> model)
        : bits(model[0] & 15u), ahead1(model[0] >> 4 & 3u), ahead2(model[0] >> 6), shift0(model[1] & 15u),
          shift2(model[1] >> 4), full((1u << bits) - 1), keep(full & ~(1u | 1u << shift0 | 1u << shift2)) {}
    unsigned lead() const { return std::max(ahead1, ahead2); }
};

// Steps along a row: the context of each dot from the two rows above and the dots before it.
struct RowWalk {
    const Context& c;
    std::uint32_t up1, up2;
    unsigned context = 0;
    int x;

    // A row's dot is fed to the context at the step of the dot `ahead` before it: the rows
    // are moved up by what the other row looks further ahead, the dots past 32 dropped.
    RowWalk(const Context& c, std::uint32_t above1, std::uint32_t above2)
        : c(c), up1(above1 << (c.lead() - c.ahead1)), up2(above2 << (c.lead() - c.ahead2)), x(-static_cast<int>(c.lead())) {}
    // Moves to dot x, the dot before it having been `previous`.
    void step(unsigned previous) {
        context = (((context << 1) & c.keep) | (up2 & 1u) << c.shift2 | (up1 & 1u) | previous << c.shift0) & c.full;
        up1 >>= 1;
        up2 >>= 1;
    }
};

// Calls dot(context, x) for each dot of row r of the glyph, in order, the dots being those
// of rows; rows above the first are clear.
template <class Dot>
void walk_glyph(const Context& c, int width, int height, const GlyphRecord& rows, Dot dot) {
    std::uint32_t above = 0, above2 = 0;
    for (int r = 0; r < height; ++r) {
        RowWalk walk(c, above, above2);
        unsigned previous = 0;
        for (; walk.x < 0; ++walk.x) walk.step(0);
        for (; walk.x < width; ++walk.x) {
            walk.step(previous);
            previous = dot(walk.context, r, walk.x);
        }
        above2 = above;
        above = static_cast<std::uint32_t>(rows[static_cast<std::size_t>(r)]);
    }
}

unsigned dot_of(const GlyphRecord& rows, int r, int x) {
    return static_cast<std::uint32_t>(rows[static_cast<std::size_t>(r)]) >> x & 1u;
}

// The bits the coder puts out, a carry running back through them.
class BitSink {
public:
    void put(unsigned bit) { bits_.push_back(static_cast<std::uint8_t>(bit)); }
    void carry() {
        std::size_t i = bits_.size();
        while (i > 0 && bits_[i - 1] == 1) bits_[--i] = 0;
        if (i > 0) bits_[i - 1] = 1;  // always: the code never passes the first interval
    }
    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out((bits_.size() + 7) / 8);
        for (std::size_t i = 0; i < bits_.size(); ++i)
            if (bits_[i]) out[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
        while (!out.empty() && out.back() == 0) out.pop_back();
        return out;
    }

private:
    std::vector<std::uint8_t> bits_;
};

class Encoder {
public:
    void code(unsigned bit, unsigned chance) {
        const std::uint32_t bound = (range_ >> 8) * chance;
        if (bit == 0) {
            range_ = bound;
        } else {
            low_ += bound;
            range_ -= bound;
        }
        if (low_ >= 0x10000u) sink_.carry(), low_ -= 0x10000u;
        while (range_ < 0x8000u) {
            sink_.put(low_ >> 15 & 1u);
            low_ = low_ << 1 & 0xFFFFu;
            range_ <<= 1;
        }
    }
    // The code: the value in [low, low + range) with the most trailing zeros, which the
    // decoder reads with zeros after the last byte.
    std::vector<std::uint8_t> finish() {
        std::uint32_t value = low_;
        for (int t = 16; t >= 0; --t) {
            const std::uint32_t step = 1u << t;
            const std::uint32_t v = (low_ + step - 1) & ~(step - 1);
            if (v < low_ + range_) {
                value = v;
                break;
            }
        }
        if (value >= 0x10000u) sink_.carry(), value -= 0x10000u;
        for (int i = 15; i >= 0; --i) sink_.put(value >> i & 1u);
        return sink_.bytes();
    }

private:
    std::uint32_t low_ = 0, range_ = 0xFFFF;
    BitSink sink_;
};

class Decoder {
public:
    explicit Decoder(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
        for (int i = 0; i < 16; ++i) code_ = (code_ << 1 | bit()) & 0xFFFFu;
    }
    unsigned decode(unsigned chance) {
        const std::uint32_t bound = (range_ >> 8) * chance;
        unsigned dot = 0;
        if (code_ < bound) {
            range_ = bound;
        } else {
            code_ -= bound;
            range_ -= bound;
            dot = 1;
        }
        while (range_ < 0x8000u) {
            range_ <<= 1;
            code_ = (code_ << 1 | bit()) & 0xFFFFu;
        }
        return dot;
    }

private:
    unsigned bit() {
        const unsigned b = next_ / 8 < bytes_.size() ? bytes_[next_ / 8] >> (7 - next_ % 8) & 1u : 0u;
        ++next_;
        return b;
    }
    std::span<const std::uint8_t> bytes_;
    std::size_t next_ = 0;
    std::uint32_t code_ = 0, range_ = 0xFFFF;
};

}  // namespace

std::span<const ContextTemplate> context_templates() { return templates; }

std::vector<std::uint8_t> make_glyph_model(const ContextTemplate& t, std::span<const GlyphRecord> glyphs,
                                           const GlyphShape& shape) {
    const int bits = t.bits();
    const int shift0 = t.up_left + t.up_right + 1;  // after the row above's dots
    const int shift2 = shift0 + t.left;
    std::vector<std::uint8_t> model(glyph_coder_header_bytes + (std::size_t{1} << bits), 128);
    model[0] = static_cast<std::uint8_t>(bits | t.up_right << 4 | (t.up2_left < 0 ? 0 : t.up2_right) << 6);
    model[1] = static_cast<std::uint8_t>(shift0 | shift2 << 4);
    const Context c(model);
    std::vector<std::array<long, 2>> counts(std::size_t{1} << bits);
    for (const GlyphRecord& g : glyphs)
        walk_glyph(c, shape.width, shape.height, g, [&](unsigned context, int r, int x) {
            const unsigned dot = dot_of(g, r, x);
            ++counts[context][dot];
            return dot;
        });
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const long n = counts[i][0] + counts[i][1];
        if (n == 0) continue;
        const long chance = (256 * counts[i][0] + n / 2) / n;
        model[glyph_coder_header_bytes + i] = static_cast<std::uint8_t>(std::clamp(chance, 1L, 255L));
    }
    return model;
}

std::vector<std::uint8_t> encode_glyph(std::span<const std::uint8_t> model, const GlyphRecord& glyph,
                                       const GlyphShape& shape) {
    const Context c(model);
    Encoder encoder;
    walk_glyph(c, shape.width, shape.height, glyph, [&](unsigned context, int r, int x) {
        const unsigned dot = dot_of(glyph, r, x);
        encoder.code(dot, model[glyph_coder_header_bytes + context]);
        return dot;
    });
    return encoder.finish();
}

std::vector<std::uint8_t> cell_bytes(const GlyphRecord& glyph, const GlyphShape& shape) {
    const int parts = shape.row_bytes();
    std::vector<std::uint8_t> cell(static_cast<std::size_t>(shape.cell_bytes()));
    for (int r = 0; r < shape.height; ++r)
        for (int p = 0; p < parts; ++p)
            cell[static_cast<std::size_t>(r / shape.band * shape.band * parts + p * shape.band + r % shape.band)] =
                static_cast<std::uint8_t>(static_cast<std::uint32_t>(glyph[static_cast<std::size_t>(r)]) >> (8 * p));
    return cell;
}

std::vector<std::uint8_t> stored_glyph(std::span<const std::uint8_t> model, const GlyphRecord& glyph,
                                       const GlyphShape& shape) {
    std::vector<std::uint8_t> code = encode_glyph(model, glyph, shape);
    return code.size() < static_cast<std::size_t>(shape.cell_bytes()) ? code : cell_bytes(glyph, shape);
}

GlyphRecord decode_glyph(std::span<const std::uint8_t> model, std::span<const std::uint8_t> bytes,
                         const GlyphShape& shape) {
    GlyphRecord glyph{};
    const int parts = shape.row_bytes();
    if (shape.width < 1 || shape.width > 32 || shape.height < 1 || shape.height > glyph_rows_max || shape.band < 1)
        return glyph;
    if (bytes.size() >= static_cast<std::size_t>(shape.cell_bytes())) {
        for (int r = 0; r < shape.height; ++r)
            for (int p = 0; p < parts; ++p)
                glyph[static_cast<std::size_t>(r)] |= static_cast<std::int32_t>(
                    static_cast<std::uint32_t>(bytes[static_cast<std::size_t>(r / shape.band * shape.band * parts +
                                                                              p * shape.band + r % shape.band)])
                    << (8 * p));
        return glyph;
    }
    if (model.size() < glyph_coder_header_bytes || (model[0] & 15) == 0 ||
        model.size() < glyph_coder_header_bytes + (std::size_t{1} << (model[0] & 15)))
        return glyph;
    const Context c(model);
    Decoder decoder(bytes);
    walk_glyph(c, shape.width, shape.height, glyph, [&](unsigned context, int r, int x) {
        const unsigned dot = decoder.decode(model[glyph_coder_header_bytes + context]);
        glyph[static_cast<std::size_t>(r)] =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(glyph[static_cast<std::size_t>(r)]) | dot << x);
        return dot;
    });
    return glyph;
}

std::vector<std::uint8_t> glyph_index(std::span<const int> lengths) {
    std::vector<std::uint8_t> index;
    long long start = 0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        if (i % glyph_index_group == 0)
            for (int b = 0; b < glyph_index_group_header; ++b) index.push_back(static_cast<std::uint8_t>(start >> (8 * b)));
        index.push_back(static_cast<std::uint8_t>(lengths[i]));
        start += lengths[i];
    }
    return index;
}

CompressedGlyphs compress_glyphs(std::span<const GlyphRecord> glyphs, const GlyphShape& shape, int max_bits) {
    CompressedGlyphs best;
    bool first = true;
    for (const ContextTemplate& t : templates) {
        if (t.bits() > max_bits && !first) continue;  // the smallest is always tried
        CompressedGlyphs made;
        made.model = make_glyph_model(t, glyphs, shape);
        std::vector<int> lengths;
        for (const GlyphRecord& g : glyphs) {
            made.glyphs.push_back(stored_glyph(made.model, g, shape));
            lengths.push_back(static_cast<int>(made.glyphs.back().size()));
            made.glyph_bytes += lengths.back();
        }
        made.index = glyph_index(lengths);
        made.model_bytes = static_cast<long long>(made.model.size());
        made.index_bytes = static_cast<long long>(made.index.size());
        if (first || made.total_bytes() < best.total_bytes()) best = std::move(made);
        first = false;
    }
    return best;
}

long long compressed_bytes(std::span<const GlyphRecord> glyphs, const GlyphShape& shape, int max_bits) {
    return compress_glyphs(glyphs, shape, max_bits).total_bytes();
}

}  // namespace sorvane
