// The firmware reader drawing whole messages: mixed strings of kanji, kana, half-width
// katakana and ASCII, in UTF-8 and in Shift_JIS, from include files of each key with every
// half-width glyph, for the three Debian fonts with their JIS X 0201 companions. Built for
// this machine, for 32-bit MIPS under qemu-user and for a Cortex-M under qemu-system-arm;
// every dot is compared with the fonts as FreeType reads them.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>
#include <stb_image.h>
#include <sys/wait.h>

#include <algorithm>
#include <climits>
#include <random>
#include <sstream>

#include "core/jis_unicode.h"
#include "core/utf8_text.h"
#include "fontgen/font_image.h"
#include "fontgen/include_writer.h"
#include "fontgen/preview.h"
#include "sorvane_font.h"
#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::read_file;

int run(const std::string& command) { return testing::run_shell(command); }
bool have(const std::string& program) { return testing::have_program(program); }

// The reader's sources, as a firmware builds them, with the font of a file made without --name.
std::string reader_sources() {
    std::string sources;
    for (const char* file : {"sorvane_font.c", "sorvane_image.c", "sorvane_target.c", "sorvane_font_file.c"})
        sources += " " + std::string(SORVANE_SOURCE_DIR) + "/firmware/" + file;
    return sources + " ";
}

// The messages the font is made for, and texts with characters it lacks: 漢 is not
// registered, the emoji has no Shift_JIS form.
const std::vector<std::string> messages = {"温度 25℃ ｴﾗｰ E-12", "準備完了 OK!", "ﾃｽﾄ ｡｢ｦｯﾟ｣ 100%", "室温:{~}"};
const std::vector<std::string> lacking = {"漢字 A", "\xf0\x9f\x98\x80x"};

// A text in another encoding, as far as it converts: a character without a form there ends it.
std::string converted(const std::string& text, const char* to_encoding, const char* from_encoding) {
    iconv_t cd = iconv_open(to_encoding, from_encoding);
    std::string out(text.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    char* to = out.data();
    std::size_t in_left = text.size(), out_left = out.size();
    iconv(cd, &in, &in_left, &to, &out_left);
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return out;
}

std::string to_shift_jis(const std::string& utf8) { return converted(utf8, "CP932", "UTF-8"); }

// Dots of a line of text as rows of '#' and '.'.
struct Line {
    std::vector<std::string> rows;
    int missing = 0;
    int width() const { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
};

// A font as FreeType reads it, with its ascent line as row 0 of the cell.
class FreeTypeFont {
public:
    // An outline font is drawn side dots per em, by Unicode.
    FreeTypeFont(FT_Library library, const std::string& path, int side, int width) : side_(side), width_(width) {
        ok_ = FT_New_Face(library, path.c_str(), 0, &face_) == 0;
        if (ok_ && FT_IS_SCALABLE(face_)) ok_ = FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(side)) == 0;
        else if (ok_ && face_->num_charmaps > 0) FT_Set_Charmap(face_, face_->charmaps[0]);
        if (ok_ && face_->num_fixed_sizes > 0) FT_Select_Size(face_, 0);
        if (ok_) ascent_ = static_cast<int>(face_->size->metrics.ascender >> 6);
    }
    void set_ascent(int ascent) { ascent_ = ascent; }
    bool by_unicode() const { return face_->charmap && face_->charmap->encoding == FT_ENCODING_UNICODE; }
    ~FreeTypeFont() {
        if (ok_) FT_Done_Face(face_);
    }
    bool ok() const { return ok_; }

    // Draws the glyph of code into the cell at x; false when the font has none.
    bool draw(unsigned long code, Line& line, int x) const {
        const FT_UInt index = FT_Get_Char_Index(face_, code);
        if (index == 0 || FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return false;
        const FT_Bitmap& b = face_->glyph->bitmap;
        const int w = static_cast<int>(b.width), h = static_cast<int>(b.rows);
        // A glyph that fits the cell is kept inside it.
        const int left = std::clamp(face_->glyph->bitmap_left, 0, std::max(0, width_ - w));
        const int top = std::clamp(ascent_ - face_->glyph->bitmap_top, 0, std::max(0, side_ - h));
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                if (b.buffer[r * b.pitch + c / 8] & (0x80 >> (c % 8)) && top + r < side_ && left + c < width_)
                    line.rows[static_cast<std::size_t>(top + r)][static_cast<std::size_t>(x + left + c)] = '#';
        return true;
    }

private:
    FT_Face face_ = nullptr;
    bool ok_ = false;
    int side_, width_, ascent_ = 0;
};

struct FontPair {
    const char* name;  // the X11 font and the font command's choice
    const char* half;  // its JIS X 0201 companion
    int side;
};
constexpr FontPair fonts[] = {{"k14", "7x14-JISX0201.1976-0", 14}, {"jiskan16", "8x16rk", 16}, {"jiskan24", "12x24rk", 24}};

// The line a text should draw: the Shift_JIS form of each character gives its glyph, two
// bytes from the font, one from its companion; a character the font lacks is a blank cell.
Line expected_line(const std::string& utf8, const FreeTypeFont& full, const FreeTypeFont& half, int side,
                   const std::string& registered) {
    Line line;
    line.rows.assign(static_cast<std::size_t>(side), "");
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        while (i + length < utf8.size() && (static_cast<unsigned char>(utf8[i + length]) & 0xC0) == 0x80) ++length;
        const std::string character = utf8.substr(i, length);
        i += length;
        const std::string sjis = to_shift_jis(character);
        const bool two_bytes = sjis.size() == 2;
        const int width = sjis.size() == 1 ? side / 2 : side;
        const int x = line.width();
        for (std::string& row : line.rows) row.append(static_cast<std::size_t>(width), '.');
        bool drawn = false;
        if (two_bytes && registered.find(character) != std::string::npos) {
            // Shift_JIS to JIS X 0208, by the arithmetic of the two codes.
            int lead = static_cast<unsigned char>(sjis[0]), trail = static_cast<unsigned char>(sjis[1]);
            lead = (lead >= 0xE0 ? lead - 0xB0 : lead - 0x70) * 2 - (trail < 0x9F ? 1 : 0);
            trail = trail < 0x9F ? trail - (trail >= 0x80 ? 0x20 : 0x1F) : trail - 0x7E;
            drawn = full.draw(static_cast<unsigned long>(lead << 8 | trail), line, x);
        } else if (sjis.size() == 1) {
            // A Unicode font has the half-width katakana at U+FF61 to U+FF9F.
            const unsigned byte = static_cast<unsigned char>(sjis[0]);
            drawn = half.draw(byte >= 0xA1 && half.by_unicode() ? byte - 0xA1 + 0xFF61 : byte, line, x);
        }
        line.missing += !drawn;
    }
    return line;
}

// The lines a run of draw_strings printed: "WIDTH MISSING", then the rows.
std::vector<Line> parse_lines(const std::string& text, int side) {
    std::istringstream in(text);
    std::vector<Line> lines;
    int width = 0;
    Line line;
    while (in >> width >> line.missing) {
        line.rows.assign(static_cast<std::size_t>(side), "");
        for (std::string& row : line.rows) in >> row;
        lines.push_back(line);
    }
    return lines;
}

class FirmwareDraw : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new testing::TempDir;
        std::string all, texts = "static const char *const utf8_texts[] = {\n", sjis = "static const char *const sjis_texts[] = {\n";
        for (const std::string& m : messages) all += m + "\n";
        for (const auto& list : {messages, lacking}) {
            for (const std::string& t : list) {
                texts += "    \"" + escaped(t) + "\",\n";
                sjis += "    \"" + escaped(to_shift_jis(t)) + "\",\n";
            }
        }
        testing::write_file(dir->file("messages.txt"), all);
        testing::write_file(dir->file("texts.h"), texts + "};\n" + sjis + "};\nenum { text_count = " +
                                                      std::to_string(messages.size() + lacking.size()) + " };\n");
        const std::string cli = std::string(SORVANE_CLI) + " -C " + dir->path.string();
        const std::string x11 = "/usr/share/fonts/X11/misc/";
        ASSERT_EQ(run(cli + " scan --encoding UTF-8 --add messages.txt >/dev/null 2>&1 && " + cli + " compiler c99 >/dev/null"), 0);
        for (const FontPair& f : fonts) {
            ASSERT_EQ(run(cli + " import-font " + x11 + f.name + ".pcf.gz --half " + x11 + f.half + ".pcf.gz >/dev/null 2>&1 && " +
                          cli + " font " + f.name + " >/dev/null"),
                      0);
            for (const char* key : {"sjis", "unicode"})
                for (const char* compress : {"", "-z"})  // -z: with every set compressed, as it pays even for these
                    ASSERT_EQ(run(cli + " generate " + f.name + "-" + key + compress + ".inc --half-width all --key " + key + " --strict --image " +
                                  f.name + "-" + key + compress + ".bin" + (*compress ? " --compress" : "") + " >/dev/null" +
                                  (*compress ? " && test $(grep -Ec '^#define FONT_(HALF_)?COMPRESSED[[:space:]]+1' " + dir->file(std::string(f.name) + "-" + key + "-z.inc") + ") = 2" : "")),
                              0)
                        << f.name << " " << key << compress;
        }
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    static std::string escaped(const std::string& text) {
        std::string out;
        char hex[8];
        for (const char c : text) {
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
            out += hex;
        }
        return out;
    }

    // How draw_strings is built for a target and run there.
    struct Target {
        std::string compiler;       // with the target's own sources and flags
        std::string runner;         // before the program's name
        std::string flags = "";     // after the strict flags of every build
        std::string libraries = "";
        bool image = false;         // the image of the same state drawn too, read from the program's flash
        bool every_compressed = false;  // compressed fonts by both keys, else by code point only
    };

    // image.h for draw_strings: the bytes of an image as a C array.
    static void write_image_header(const std::string& image_file) {
        const std::string bytes = read_file(image_file);
        std::string text = "static const unsigned char image_bytes[] IMAGE_FLASH = {";
        for (std::size_t i = 0; i < bytes.size(); ++i) text += (i % 24 == 0 ? "\n" : "") + std::to_string(static_cast<unsigned char>(bytes[i])) + ",";
        testing::write_file(dir->file("image.h"), text + "\n};\nenum { image_size = " + std::to_string(bytes.size()) + " };\n");
    }

    // Builds draw_strings against each include file for a target, runs it there, and
    // compares every line with FreeType's reading of the fonts.
    void compare_all(const Target& target) {
        FT_Library library;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        const std::string source = std::string(SORVANE_SOURCE_DIR);
        std::string registered;
        for (const std::string& m : messages) registered += m;
        int compared = 0;
        for (const FontPair& f : fonts) {
            const FreeTypeFont full(library, "/usr/share/fonts/X11/misc/" + std::string(f.name) + ".pcf.gz", f.side, f.side);
            const FreeTypeFont half(library, "/usr/share/fonts/X11/misc/" + std::string(f.half) + ".pcf.gz", f.side, f.side / 2);
            ASSERT_TRUE(full.ok() && half.ok()) << f.name;
            for (const std::string key : {"sjis", "unicode", "sjis-z", "unicode-z"}) {
                if (key == "sjis-z" && !target.every_compressed) continue;
                const std::string program = dir->file("draw_strings");
                if (target.image) write_image_header(dir->file(f.name + std::string("-") + key + ".bin"));
                const std::string image_flags = target.image ? " -DTEST_IMAGE" : "";
                const std::string build = target.compiler + " -std=c99 -Wall -Wextra -Wpedantic -Werror -O2 " + target.flags + image_flags +
                                          " -I" + source + "/firmware -I" +
                                          dir->path.string() + " -DSORVANE_FONT_FILE='\"" + dir->file(f.name + std::string("-") + key + ".inc") +
                                          "\"' " + reader_sources() + source + "/tests/firmware/draw_strings.c " + target.libraries + " -o " + program;
                ASSERT_EQ(run(build), 0) << build;
                // qemu-system-arm writes what the program puts out through semihosting to its standard error.
                ASSERT_EQ(run(target.runner + program + " >" + dir->file("out.txt") + " 2>&1"), 0)
                    << target.runner << program << ": " << read_file(dir->file("out.txt")).substr(0, 300);
                std::string out = read_file(dir->file("out.txt"));
                // The last line it writes: B when the reader held at the bounds of int.
                const std::size_t bounds = std::min(out.find_last_of("BW"), out.size());
                EXPECT_EQ(out.substr(bounds, 2), "B\n") << f.name << " " << key;
                out.resize(bounds);
                const std::size_t image_part = out.find("image ");
                const std::vector<Line> drawn = parse_lines(out.substr(0, image_part), f.side);
                ASSERT_EQ(drawn.size(), 2 * (messages.size() + lacking.size())) << f.name << " " << key << ": " << out.substr(0, 200);
                if (target.image) {
                    // The image: every glyph the tables', its reads within bound, every text drawn the same.
                    ASSERT_NE(image_part, std::string::npos) << out;
                    const std::string said = out.substr(image_part, out.find('\n', image_part) - image_part);
                    ASSERT_EQ(said.find_first_not_of("0123456789", 6), std::string::npos) << f.name << " " << key << ": " << said;
                    const std::vector<Line> from_image = parse_lines(out.substr(out.find('\n', image_part) + 1), f.side);
                    ASSERT_EQ(from_image.size(), drawn.size());
                    for (std::size_t n = 0; n < drawn.size(); ++n) {
                        EXPECT_EQ(from_image[n].rows, drawn[n].rows) << f.name << " " << key << ", text " << n;
                        EXPECT_EQ(from_image[n].missing, drawn[n].missing) << f.name << " " << key << ", text " << n;
                    }
                }
                std::size_t k = 0;
                for (const auto& list : {messages, lacking}) {
                    for (const std::string& text : list) {
                        for (int way = 0; way < 2; ++way, ++k) {
                            // The Shift_JIS way draws what the text has of a Shift_JIS form.
                            const std::string drawn_text = way ? converted(to_shift_jis(text), "UTF-8", "CP932") : text;
                            const Line want = expected_line(drawn_text, full, half, f.side, registered);
                            EXPECT_EQ(drawn[k].rows, want.rows) << f.name << ", key " << key << (way ? ", Shift_JIS: " : ", UTF-8: ") << text;
                            EXPECT_EQ(drawn[k].missing, want.missing) << f.name << " " << key << ": " << text;
                            ++compared;
                        }
                    }
                }
            }
        }
        FT_Done_FreeType(library);
        EXPECT_EQ(compared, 3 * (target.every_compressed ? 4 : 3) * 2 * static_cast<int>(messages.size() + lacking.size()));
    }

    // Two named include files in one program (K14 by Shift_JIS code as small, jiskan24 by code
    // point with its image as large), each compiled as a translation unit of its own, and the
    // image: every text of each compared with FreeType's reading of its font, the image's with
    // the tables', and each drawn into every layout and rotation of a buffer target, read back
    // dot by dot against the plot callback's drawing ("layouts 0").
    void compare_named(const Target& target) {
        const std::string source = SORVANE_SOURCE_DIR, named = dir->file("named");
        const std::string cli = std::string(SORVANE_CLI) + " -C " + named, x11 = "/usr/share/fonts/X11/misc/";
        if (!std::filesystem::exists(named + "/large.bin")) {
            std::filesystem::create_directory(named);
            ASSERT_EQ(run(cli + " import-font " + x11 + "k14.pcf.gz --half " + x11 + "7x14-JISX0201.1976-0.pcf.gz >/dev/null 2>&1 && " + cli +
                          " import-font " + x11 + "jiskan24.pcf.gz --half " + x11 + "12x24rk.pcf.gz >/dev/null 2>&1 && " + cli +
                          " scan --encoding UTF-8 --add ../messages.txt >/dev/null 2>&1 && " + cli + " compiler c99 >/dev/null && " + cli +
                          " font k14 >/dev/null && " + cli + " generate small.inc --name small --half-width all --key sjis --no-image >/dev/null && " +
                          cli + " font jiskan24 >/dev/null && " + cli +
                          " generate large.inc --name large --half-width all --key unicode --image large.bin --compress >/dev/null"),
                      0);
            for (const char* font : {"small", "large"}) testing::write_file(named + "/" + font + ".c", "#include \"" + std::string(font) + ".inc\"\n");
        }
        write_image_header(named + "/large.bin");
        const std::string program = dir->file("draw_named");
        const std::string build = target.compiler + " -std=c99 -Wall -Wextra -Wpedantic -Werror -O2 " + target.flags + " -DTEST_IMAGE -DTEST_NAMED -I" +
                                  source + "/firmware -I" + dir->path.string() + " -I" + named + " " + source + "/firmware/sorvane_font.c " + source +
                                  "/firmware/sorvane_image.c " + source + "/firmware/sorvane_target.c " + named + "/small.c " + named + "/large.c " +
                                  source + "/tests/firmware/draw_strings.c " + target.libraries + " -o " + program;
        ASSERT_EQ(run(build), 0) << build;
        ASSERT_EQ(run(target.runner + program + " >" + dir->file("named.txt") + " 2>&1"), 0) << read_file(dir->file("named.txt")).substr(0, 300);
        const std::string out = read_file(dir->file("named.txt"));
        const std::size_t next = out.find("next\n"), image = out.find("image "), bounds = out.find("B\nlayouts ");
        ASSERT_TRUE(next != std::string::npos && image != std::string::npos && bounds != std::string::npos) << out.substr(0, 300);
        EXPECT_EQ(out.substr(bounds), "B\nlayouts 0\n");
        const std::vector<Line> large = parse_lines(out.substr(next + 5, image - next - 5), 24);
        EXPECT_EQ(parse_lines(out.substr(out.find('\n', image) + 1, bounds - out.find('\n', image) - 1), 24).size(), large.size());
        FT_Library library;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        std::string registered;
        for (const std::string& m : messages) registered += m;
        int compared = 0;
        for (const auto& [f, drawn] : {std::pair{fonts[0], parse_lines(out.substr(0, next), 14)}, {fonts[2], large}}) {
            const FreeTypeFont full(library, x11 + f.name + ".pcf.gz", f.side, f.side), half(library, x11 + f.half + ".pcf.gz", f.side, f.side / 2);
            ASSERT_EQ(drawn.size(), 2 * (messages.size() + lacking.size())) << f.name;
            std::size_t k = 0;
            for (const auto& list : {messages, lacking})
                for (const std::string& text : list)
                    for (int way = 0; way < 2; ++way, ++k, ++compared) {
                        const Line want = expected_line(way ? converted(to_shift_jis(text), "UTF-8", "CP932") : text, full, half, f.side, registered);
                        EXPECT_EQ(drawn[k].rows, want.rows) << "named " << f.name << (way ? ", Shift_JIS: " : ", UTF-8: ") << text;
                        EXPECT_EQ(drawn[k].missing, want.missing) << "named " << f.name << ": " << text;
                    }
        }
        FT_Done_FreeType(library);
        EXPECT_EQ(compared, 2 * 2 * static_cast<int>(messages.size() + lacking.size()));
    }

    static inline testing::TempDir* dir = nullptr;
};

TEST_F(FirmwareDraw, OnThisMachineEveryDotIsTheFonts) {
    compare_all({"gcc", "", "", "", true, true});
    compare_named({"gcc", ""});
}

TEST_F(FirmwareDraw, OnMipsWithSignedCharEveryDotIsTheFonts) {
    if (!have("mipsel-linux-gnu-gcc") || !have("qemu-mipsel")) GTEST_SKIP() << "gcc-mipsel-linux-gnu and qemu-user are needed";
    compare_all({"mipsel-linux-gnu-gcc -static", "qemu-mipsel ", "", "", true});
    compare_named({"mipsel-linux-gnu-gcc -static", "qemu-mipsel "});
}

TEST_F(FirmwareDraw, OnCortexMEveryDotIsTheFonts) {
    if (!have("arm-none-eabi-gcc") || !have("qemu-system-arm")) GTEST_SKIP() << "gcc-arm-none-eabi and qemu-system-arm are needed";
    const std::string here = std::string(SORVANE_SOURCE_DIR) + "/tests/firmware/";
    // Without a C library: the reader needs none.
    const Target cortex_m{"arm-none-eabi-gcc -mcpu=cortex-m3 -mthumb -nostdlib -ffreestanding -DTEST_SEMIHOSTING -T " + here + "cortex-m.ld " +
                              here + "cortex-m-start.c",
                          "timeout 60 qemu-system-arm -M mps2-an385 -nographic -semihosting -kernel ", "", "-lgcc", true};
    compare_all(cortex_m);
    compare_named(cortex_m);
}

// An include file of another generation than the image, or one that names none: the
// firmware's check at start-up says so, and draw_strings draws nothing from the image.
TEST_F(FirmwareDraw, AnImageOfAnotherGenerationIsTold) {
    const std::string source = SORVANE_SOURCE_DIR, cli = std::string(SORVANE_CLI) + " -C " + dir->path.string();
    ASSERT_EQ(run(cli + " generate plain.inc --half-width all --key unicode --no-image >/dev/null"), 0);
    write_image_header(dir->file("jiskan24-unicode.bin"));
    for (const auto& [include, said] : {std::pair{"jiskan24-sjis.inc", "image of another generation"}, {"plain.inc", "image named by none"}}) {
        EXPECT_NE(run("gcc -std=c99 -DTEST_IMAGE -I" + source + "/firmware -I" + dir->path.string() + " -DSORVANE_FONT_FILE='\"" + dir->file(include) +
                      "\"' " + reader_sources() + source + "/tests/firmware/draw_strings.c -o " + dir->file("told") + " && " +
                      dir->file("told") + " >" + dir->file("told.txt")), 0);
        EXPECT_NE(read_file(dir->file("told.txt")).find(said), std::string::npos) << include;
    }
}

// What a string comes to: the x after it, the characters lacking, and every dot in order.
struct Drawn {
    long long x = 0;
    int missing = 0;
    std::vector<std::pair<long long, long long>> dots;
    bool operator==(const Drawn&) const = default;
};
int read_memory(void* ctx, unsigned long offset, void* buffer, unsigned length) {
    const auto& bytes = *static_cast<const std::vector<std::uint8_t>*>(ctx);
    if (offset > bytes.size() || length > bytes.size() - offset) return -1;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), length, static_cast<std::uint8_t*>(buffer));
    return 0;
}
void add_dot(void* ctx, int x, int y) { static_cast<Drawn*>(ctx)->dots.emplace_back(x, y); }
Drawn by_reader(const sorvane_font& image, const std::string& text, bool utf8, int x = 0, int y = 0) {
    Drawn d;
    sorvane_target target;
    sorvane_target_plot(&target, add_dot, &d);
    d.x = utf8 ? sorvane_draw_utf8(&image, text.c_str(), x, y, &target) : sorvane_draw_sjis(&image, text.c_str(), x, y, &target);
    d.missing = utf8 ? sorvane_missing_utf8(&image, text.c_str()) : sorvane_missing_sjis(&image, text.c_str());
    if (x == 0) {
        EXPECT_EQ(utf8 ? sorvane_measure_utf8(&image, text.c_str()) : sorvane_measure_sjis(&image, text.c_str()), d.x);
    }
    return d;
}
Drawn by_preview(const IncludeFont& font, std::string_view text, bool utf8) {
    Drawn d;
    for (const TextCell& cell : text_cells(font, utf8 ? characters_of_utf8(text) : characters_of_shift_jis(text))) {
        for (int row = 0; cell.glyph && row < font.side; ++row)
            for (int column = 0; column < cell.width; ++column)
                if (has_dot(static_cast<std::uint32_t>((*cell.glyph)[static_cast<std::size_t>(row)]), column, BitOrder::lsb_left))
                    d.dots.emplace_back(d.x + column, row);
        d.missing += !cell.glyph;
        d.x += cell.width;
    }
    return d;
}

// preview --text and the reader take a string alike: every code point the scan maps and every
// character of the grid, as UTF-8 and in Shift_JIS, and every byte, in fonts of every cell
// with some blank glyphs (lacking, the spaces aside), each key, with and without half-width
// glyphs. A code point draws the glyph of the cell the scan maps it to, in either form. Drawn
// near INT_MAX or INT_MIN (in the sanitizer build too), a text's dots move with it, those past
// int left out, and the x after it saturates.
TEST(FirmwareDrawCells, PreviewAndReaderTakeEveryCharacterAlike) {
    std::mt19937 random(31);
    KanjiGrid registered{};
    registered.fill(1);
    auto glyphs = std::make_unique<GlyphTable>();
    auto half = std::make_unique<HalfTable>();
    std::vector<std::string> utf8_texts = {"\u00A5\u203E\\~", std::string("温\0度", 7)}, sjis_texts = {std::string("\x89\xB7\0\x93\x78", 5)};
    std::vector<char32_t> scanned;  // the code points the scan maps to a cell
    for (char32_t c = 0x80; c < 0x10000; ++c)
        if (cell_of_code_point(c) >= 0) scanned.push_back(c), utf8_texts.push_back(utf8_of(c));
    for (int cell = 0; cell < grid_cells; ++cell) {
        sjis_texts.push_back({static_cast<char>(bytes_of(cell).lead), static_cast<char>(bytes_of(cell).trail)});
        if (const char32_t c = characters_of_cell(cell).first; c != 0 && cell_of_code_point(c) < 0) utf8_texts.push_back(utf8_of(c));
    }
    for (int b = 1; b < 256; ++b)
        for (std::vector<std::string>* list : {&utf8_texts, &sjis_texts}) list->insert(list->end(), {std::string(1, static_cast<char>(b)), std::string{static_cast<char>(b), '\xA5'}});
    const IncludeLayout layouts[] = {{HalfWidth::none, CodeKey::sjis, false}, {HalfWidth::all, CodeKey::sjis, true},
                                     {HalfWidth::none, CodeKey::unicode, true}, {HalfWidth::all, CodeKey::unicode, true}};
    for (int i = 0; i < 4; ++i) {
        const FontKind& kind = font_table[static_cast<std::size_t>(i % 3)];
        *glyphs = {};
        *half = {};
        for (std::size_t r = 0; r < static_cast<std::size_t>(kind.dots); ++r) {
            for (std::size_t cell = 1; cell < glyphs->size(); cell += 1 + (cell % 50 == 49)) (*glyphs)[cell][r] = static_cast<std::int32_t>(random() & ((1u << kind.dots) - 1));
            for (std::size_t code = 1; code < half->size(); code += 1 + (code % 32 == 31)) (*half)[code][r] = static_cast<std::int32_t>(random() & ((1u << kind.half_dots) - 1));
        }
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        write_include_file(*std::make_unique<TextWriter>(file), registered, *glyphs, kind, compiler_of(2), {2025, 1, 1, 0, 0, 0}, {}, layouts[i], half.get());
        std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
        std::rewind(file);
        ASSERT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
        std::fclose(file);
        const IncludeFont font = read_include_file(text);
        std::vector<std::uint8_t> bytes = font_image(registered, *glyphs, kind, layouts[i], half.get());
        sorvane_font image;
        ASSERT_EQ(sorvane_open_image(&image, read_memory, &bytes), SORVANE_OK);
        int wrong = 0;
        for (const bool utf8 : {true, false}) {
            for (const std::string& t : utf8 ? utf8_texts : sjis_texts) {
                const Drawn preview = by_preview(font, t, utf8), reader = by_reader(image, t, utf8);
                if (preview != reader && ++wrong <= 5)
                    ADD_FAILURE() << "layout " << i << ", " << ::testing::PrintToString(t) << ": preview " << preview.x << " wide, "
                                  << preview.missing << " lacking, the reader " << reader.x << ", " << reader.missing;
            }
        }
        for (const char32_t c : scanned) {
            const GlyphRecord& want = (*glyphs)[static_cast<std::size_t>(cell_of_code_point(c))];
            const TextCell cell = text_cells(font, characters_of_utf8(utf8_of(c))).at(0);
            const bool blank = c != 0x3000 && want == GlyphRecord{};
            if (layouts[i].says_key && (blank ? cell.glyph != nullptr : !cell.glyph || *cell.glyph != want) && ++wrong <= 5)
                ADD_FAILURE() << "layout " << i << ": U+" << std::hex << static_cast<unsigned>(c) << " is not the glyph of its cell";
        }
        const Drawn origin = by_reader(image, "温度 25℃ ｴﾗｰ E-12", true);
        for (const auto& [x0, y0] : {std::pair{INT_MAX, 0}, {INT_MAX - 30, 5}, {3, INT_MAX - 7}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}}) {
            Drawn want{std::min<long long>(origin.x + x0, INT_MAX), origin.missing, {}};
            for (const auto& [x, y] : origin.dots)
                if (x + x0 <= INT_MAX && y + y0 <= INT_MAX) want.dots.emplace_back(x + x0, y + y0);
            EXPECT_TRUE(by_reader(image, "温度 25℃ ｴﾗｰ E-12", true, x0, y0) == want) << "layout " << i << ", drawn at " << x0 << ", " << y0;
        }
        EXPECT_EQ(wrong, 0) << "layout " << i;
    }
}

// preview --text draws a text as the reader does: each dot a square of two pixels, black, in
// a field of white after a margin of four.
TEST_F(FirmwareDraw, PreviewDrawsTheTextAsTheReader) {
    const std::string text = messages[0] + lacking[0];
    testing::write_file(dir->file("text.txt"), text + "\n");
    const std::string cli = std::string(SORVANE_CLI) + " -C " + dir->path.string();
    ASSERT_EQ(run(cli + " preview jiskan16-unicode.inc --text text.txt --encoding UTF-8 -o text.png >/dev/null"), 0);
    int width = 0, height = 0, channels = 0;
    unsigned char* gray = stbi_load(dir->file("text.png").c_str(), &width, &height, &channels, 1);
    ASSERT_NE(gray, nullptr);
    std::vector<std::string> rows(16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; 4 + 2 * x < width - 4; ++x) rows[static_cast<std::size_t>(y)] += gray[(4 + 2 * y) * width + 4 + 2 * x] == 0 ? '#' : '.';
    stbi_image_free(gray);
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    {
        const FreeTypeFont full(library, "/usr/share/fonts/X11/misc/jiskan16.pcf.gz", 16, 16);
        const FreeTypeFont half(library, "/usr/share/fonts/X11/misc/8x16rk.pcf.gz", 16, 8);
        std::string registered;
        for (const std::string& m : messages) registered += m;
        EXPECT_EQ(rows, expected_line(text, full, half, 16, registered).rows);
    }
    FT_Done_FreeType(library);
}

// The half-width glyphs of a Unicode bitmap font (efont's b16) and of a TrueType font (IPA
// Gothic at 16 dots), taken by import-font and drawn by the reader. Where the outline font's
// baseline lies is the import's choice: one baseline must hold for the whole line.
TEST(FirmwareDrawHalfWidth, UnicodeAndTrueTypeFontsEveryDotIsTheFonts) {
    const std::string text = "Sorvane ｶﾀｶﾅ 12:34 ｡ﾟ";
    for (const char* font : {"/usr/share/fonts/X11/misc/b16.pcf.gz", "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"}) {
        if (!std::filesystem::exists(font)) GTEST_SKIP() << font << " is not installed";
        testing::TempDir dir;
        testing::write_file(dir.file("texts.h"), "static const char *const utf8_texts[] = {\"" + text +
                                                     "\"};\nstatic const char *const sjis_texts[] = {\"\"};\nenum { text_count = 1 };\n");
        const std::string cli = std::string(SORVANE_CLI) + " -C " + dir.path.string();
        ASSERT_EQ(run(cli + " import-font " + font + " --size 16 >/dev/null 2>&1 && " + cli + " font jiskan16 >/dev/null && " + cli +
                      " compiler c99 >/dev/null && " + cli + " generate --half-width all >/dev/null"),
                  0) << font;
        const std::string source = SORVANE_SOURCE_DIR;
        ASSERT_EQ(run("gcc -std=c99 -Wall -Werror -I" + source + "/firmware -I" + dir.path.string() + " -DSORVANE_FONT_FILE='\"" +
                      dir.file("Font.inc") + "\"' " + reader_sources() + source +
                      "/tests/firmware/draw_strings.c -o " + dir.file("draw") + " && " + dir.file("draw") + " >" + dir.file("out.txt")),
                  0);
        const Line drawn = parse_lines(read_file(dir.file("out.txt")), 16).at(0);
        FT_Library library;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        {
            FreeTypeFont reference(library, font, 16, 8);
            bool same = false;
            for (int ascent = 0; ascent <= 16 && !same; ++ascent) {
                reference.set_ascent(ascent);
                const Line want = expected_line(text, reference, reference, 16, "");
                same = drawn.rows == want.rows && drawn.missing == 0 && want.missing == 0;
            }
            EXPECT_TRUE(same) << font << ": no baseline gives the glyphs FreeType draws";
        }
        FT_Done_FreeType(library);
    }
}

// The tables in flash, read through the reader's hooks: PROGMEM with pgm_read_byte and
// pgm_read_word, and GCC's __flash address space, read as it stands.
TEST_F(FirmwareDraw, OnAvrFromFlashEveryDotIsTheFonts) {
    if (!have("avr-gcc") || !have("simavr")) GTEST_SKIP() << "gcc-avr, avr-libc and simavr are needed";
    const std::string here = std::string(SORVANE_SOURCE_DIR) + "/tests/firmware/";
    const std::string avr = "avr-gcc -mmcu=atmega2560 -DTEST_AVR_UART -DCANVAS_WIDTH=240 " + here + "avr-uart.c";
    const std::string runner = "timeout 120 " + here + "simavr-run.sh atmega2560 ";
    compare_all({avr, runner, "-Os -DSORVANE_AVR_PROGMEM"});
    compare_named({avr, runner, "-Os -DSORVANE_AVR_PROGMEM"});
    compare_all({avr, runner, "-Os -std=gnu99 -Wno-pedantic -DSORVANE_FONT_FLASH=__flash"});

    // An ATmega328P (2 KB of RAM) links the sample's characters only with the tables in flash.
    const std::string cli = std::string(SORVANE_CLI) + " -C " + dir->path.string();
    ASSERT_EQ(run(cli + " scan --add " + SORVANE_SOURCE_DIR + "/samples/device-messages.txt >/dev/null && " + cli +
                  " font k14 >/dev/null && " + cli + " generate sample.inc --half-width ascii >/dev/null"),
              0);
    testing::write_file(dir->file("main.c"), "#include \"sorvane_font.h\"\nextern const sorvane_font sorvane_file_font;\n"
                                             "static void plot(void *c, int x, int y) { (void)c; (void)x; (void)y; }\nint main(void) {\n"
                                             "    sorvane_target t;\n    sorvane_target_plot(&t, plot, 0);\n"
                                             "    return sorvane_draw_utf8(&sorvane_file_font, \"OK\", 0, 0, &t);\n}\n");
    const std::string uno = "avr-gcc -mmcu=atmega328p -std=c99 -Os -Wall -Wextra -Werror -I" + std::string(SORVANE_SOURCE_DIR) +
                            "/firmware -DSORVANE_FONT_FILE='\"" + dir->file("sample.inc") + "\"' " + reader_sources() + dir->file("main.c") + " -o " + dir->file("uno.elf") + " >" + dir->file("uno.txt") + " 2>&1";
    EXPECT_NE(run(uno), 0) << "the tables in RAM: too many for it";
    const std::string said = read_file(dir->file("uno.txt"));
    EXPECT_TRUE(said.find("not within region `data'") != std::string::npos || said.find("region `data' overflowed") != std::string::npos)
        << "the linker refuses the RAM it would take, and nothing else: " << said;
    EXPECT_EQ(run(uno + " -DSORVANE_AVR_PROGMEM"), 0) << "the tables in flash";
}

}  // namespace
}  // namespace sorvane
