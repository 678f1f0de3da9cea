#include "app/plan.h"

#include <memory>

#include "app/lists.h"
#include "fontgen/font_image.h"

namespace sorvane {
namespace {

// The bytes a way writes, as generate counts them for --max-bytes.
long long way_bytes(const AppState& state, const HalfTable& half, const IncludeLayout& layout, bool image) {
    const FontKind& font = state.font.kind();
    if (image) return font_image_size(state.registered_set, state.glyph_store, font, layout, &half);
    return summarize_include_file(state.registered_set, state.glyph_store, font, {}, layout, &half).total_bytes();
}

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
    const IncludeLayout with_half{kept.half == HalfWidth::none ? HalfWidth::all : kept.half, kept.key, true};
    const IncludeLayout keyed{HalfWidth::none, kept.key, true};
    const IncludeLayout plain{HalfWidth::none, CodeKey::sjis, false};
    const auto half = std::make_unique<HalfTable>();
    Generation why_not;  // why the half-width glyphs could not be read: the note says only that
    plan.half_read = load_half_source(state, with_half, *half, why_not);

    std::vector<IncludeLayout> layouts;
    if (plan.half_read) layouts.push_back(with_half);
    layouts.push_back(keyed);
    layouts.push_back(plain);
    const bool kept_image = !state.generation.image.empty();
    const auto same = [](const IncludeLayout& a, const IncludeLayout& b) {
        return a.half == b.half && a.says_key == b.says_key && (!a.says_key || a.key == b.key);
    };
    for (const bool image : {false, true}) {
        for (const IncludeLayout& layout : layouts) {
            for (const bool compressed : {false, true}) {
                IncludeLayout asked = layout;
                asked.compress = compressed;
                PlanWay way{image, compressed, asked, way_bytes(state, *half, asked, image), false};
                way.kept = same(layout, kept) && compressed == kept.compress && (!image || kept_image);
                plan.ways.push_back(way);
            }
        }
    }
    return plan;
}

}  // namespace sorvane
