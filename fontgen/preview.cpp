#include "fontgen/preview.h"

namespace sorvane {

Picture draw_preview(const IncludeFont& font, BitOrder order) {
    const int count = static_cast<int>(font.glyphs.size());
    const int field = font.side * preview_scale;
    const int rows = (count + preview_columns - 1) / preview_columns;
    Picture picture;
    picture.width = preview_gap + preview_columns * (field + preview_gap);
    picture.height = preview_gap + rows * (field + preview_gap);
    picture.gray.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height), preview_background);
    for (int i = 0; i < count; ++i) {
        const int left = preview_field_x(i, font.side);
        const int top = preview_field_y(i, font.side);
        for (int y = 0; y < field; ++y) {
            const auto row = static_cast<std::uint32_t>(font.glyphs[static_cast<std::size_t>(i)][static_cast<std::size_t>(y / preview_scale)]);
            std::uint8_t* pixel = &picture.gray[static_cast<std::size_t>(top + y) * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(left)];
            for (int x = 0; x < field; ++x) pixel[x] = has_dot(row, x / preview_scale, order) ? 0 : 255;
        }
    }
    return picture;
}

}  // namespace sorvane
