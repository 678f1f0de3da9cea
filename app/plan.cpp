#include "app/plan.h"

#include <map>
#include <memory>
#include <utility>

#include "app/lists.h"
#include "fontgen/font_image.h"
#include "fontgen/glyph_coder.h"

namespace sorvane {
namespace {

// The sizes of the ways, each set's compression counted once.
class WaySizes {
public:
    WaySizes(const AppState& state, const HalfTable& half) : state_(state), glyphs_(half) {}

    long long bytes(const IncludeLayout& layout, bool image, bool compressed) {
        const FontKind& font = state_.font.kind();
        const IncludeSummary s = summarize_include_file(state_.registered_set, font, {}, layout);
        if (!compressed) return image ? font_image_bytes(s) : s.total_bytes();
        // A set is compressed only where it pays; an image keeps its model small, in RAM.
        const int bits = image ? 10 : 12;
        const long long full = full_bytes(layout.key, bits);
        const bool full_packed = s.count > 0 && full < s.glyph_table_bytes;
        const long long halves = s.half_glyphs > 0 ? half_bytes(layout, bits) : 0;
        const bool half_packed = s.half_glyphs > 0 && halves < s.half_table_bytes;
        const long long tables = s.index_table_bytes + s.alt_table_bytes + (full_packed ? full : s.glyph_table_bytes) +
                                 (half_packed ? halves : s.half_table_bytes);
        if (!image) return tables;
        const int other = s.alt_table_bytes > 0 ? 1 : 0;
        const int half_tables = half_packed ? 3 : (layout.ascii() ? 1 : 0) + (layout.kana() ? 1 : 0);
        return image_header_bytes(1 + other + (full_packed ? 3 : 1) + half_tables) + tables + s.alt_table_bytes;
    }

private:
    long long full_bytes(CodeKey key, int bits) {
        const auto [at, fresh] = full_.try_emplace({key, bits}, 0);
        if (!fresh) return at->second;
        IncludeSummary left_out;
        std::vector<GlyphRecord> glyphs;
        for (const FontEntry& e : font_entries(state_.registered_set, key, left_out))
            glyphs.push_back(state_.glyph_store[static_cast<std::size_t>(e.cell)]);
        const FontKind& font = state_.font.kind();
        return at->second = compressed_bytes(glyphs, {font.dots, font.dots, font.band}, bits);
    }

    long long half_bytes(const IncludeLayout& layout, int bits) {
        const auto [at, fresh] = halves_.try_emplace({layout.half, bits}, 0);
        if (!fresh) return at->second;
        std::vector<GlyphRecord> glyphs;
        if (layout.ascii())
            for (int code = ascii_first; code < ascii_first + ascii_count; ++code) glyphs.push_back(glyphs_[static_cast<std::size_t>(code)]);
        if (layout.kana())
            for (int code = kana_first; code < kana_first + kana_count; ++code) glyphs.push_back(glyphs_[static_cast<std::size_t>(code)]);
        const FontKind& font = state_.font.kind();
        return at->second = compressed_bytes(glyphs, {font.half_dots, font.dots, 1}, bits);
    }

    const AppState& state_;
    const HalfTable& glyphs_;
    std::map<std::pair<CodeKey, int>, long long> full_;
    std::map<std::pair<HalfWidth, int>, long long> halves_;
};

}  // namespace

Plan plan_generation(AppState& state, const ListHolder& lists) {
    Plan plan;
    lists.pull();
    parse_registered(state);
    render_registered(state);
    lists.show(registered_list);
    plan.font = load_font_source(state).outcome;
    plan.count = state.counters.registered;

    const IncludeLayout kept = state.generation.layout();
    // With half-width glyphs the other key is always there; without them it is a choice.
    IncludeLayout with_half{kept.half == HalfWidth::none ? HalfWidth::all : kept.half, kept.key, true};
    const IncludeLayout keyed{HalfWidth::none, kept.key, true};
    const IncludeLayout plain{HalfWidth::none, CodeKey::sjis, false};
    const auto half = std::make_unique<HalfTable>();
    Generation refused;
    plan.half_read = load_half_source(state, with_half, *half, refused);

    std::vector<IncludeLayout> layouts;
    if (plan.half_read) layouts.push_back(with_half);
    layouts.push_back(keyed);
    layouts.push_back(plain);
    const bool kept_image = !state.generation.image.empty();
    const auto same = [](const IncludeLayout& a, const IncludeLayout& b) {
        return a.half == b.half && a.says_key == b.says_key && (!a.says_key || a.key == b.key);
    };
    WaySizes sizes(state, *half);
    for (const bool image : {false, true}) {
        for (const IncludeLayout& layout : layouts) {
            for (const bool compressed : {false, true}) {
                PlanWay way{image, compressed, layout, sizes.bytes(layout, image, compressed), false};
                way.kept = same(layout, kept) && !compressed && (!image || kept_image);
                plan.ways.push_back(way);
            }
        }
    }
    return plan;
}

}  // namespace sorvane
