// The include file on the firmware side: for the shipped sample text, include files for the
// three Debian fonts, the three compiler variants and both bit orders; the example module compiled
// against each for the host, for 32-bit little-endian MIPS (the PIC32's architecture, run
// under qemu) and for a Cortex-M (compiled and linked); every dot of every registered
// character compared with the glyph drawn straight from the BDF file.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <map>
#include <sstream>

#include "core/kanji_grid.h"
#include "core/list_text.h"
#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::read_file;

int run(const std::string& command) { return testing::run_shell(command); }
bool have(const std::string& program) { return testing::have_program(program); }

struct Font {
    const char* name;  // the X11 font and the font command's choice
    int side;
};
constexpr Font fonts[] = {{"k14", 14}, {"jiskan16", 16}, {"jiskan24", 24}};
constexpr const char* compilers[] = {"xc32", "cc-rh", "c99"};
constexpr const char* bit_orders[] = {"lsb-left", "msb-left"};

// Glyphs as rows of '#' and '.', by Shift_JIS code.
using Glyphs = std::map<unsigned, std::vector<std::string>>;

// The glyphs of a BDF font drawn into its cell: the font's bounding box, rows from the top.
Glyphs draw_bdf(const std::string& path, int side) {
    std::istringstream in(read_file(path));
    Glyphs glyphs;
    std::string line;
    int box_x = 0, box_top = side;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "FONTBOUNDINGBOX") {
            int w, h, x, y;
            words >> w >> h >> x >> y;
            box_x = x;
            box_top = h + y;
        } else if (key == "ENCODING") {
            int jis = -1;
            words >> jis;
            int w = 0, h = 0, x = 0, y = 0;
            while (std::getline(in, line) && line.rfind("BITMAP", 0) != 0)
                if (line.rfind("BBX", 0) == 0) std::istringstream(line.substr(3)) >> w >> h >> x >> y;
            std::vector<std::string> rows(static_cast<std::size_t>(side), std::string(static_cast<std::size_t>(side), '.'));
            for (int i = 0; i < h && std::getline(in, line); ++i) {
                const unsigned long bits = std::stoul(line, nullptr, 16);
                const int digits = static_cast<int>(line.find_first_not_of("0123456789abcdefABCDEF"));
                const int length = (digits < 0 ? static_cast<int>(line.size()) : digits) * 4;
                for (int j = 0; j < w; ++j) {
                    const int row = box_top - y - h + i;
                    const int column = x - box_x + j;
                    if ((bits >> (length - 1 - j)) & 1 && row >= 0 && row < side && column >= 0 && column < side)
                        rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = '#';
                }
            }
            const int high = jis >> 8, low = jis & 0xFF;
            if (high >= 0x21 && high <= 0x7E && low >= 0x21 && low <= 0x7E)
                glyphs[code_of((high - 0x21) * 94 + low - 0x21)] = rows;
        }
    }
    return glyphs;
}

// What show_text --all printed: a code line, then the glyph's rows.
Glyphs parse_dump(const std::string& dump, int side) {
    std::istringstream in(dump);
    Glyphs glyphs;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string>& rows = glyphs[static_cast<unsigned>(std::stoul(line, nullptr, 16))];
        for (int r = 0; r < side && std::getline(in, line); ++r) rows.push_back(line);
    }
    return glyphs;
}

class FirmwareExample : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!have("pcf2bdf")) {
            missing = "pcf2bdf is not installed";
            return;
        }
        const std::string sample = std::string(SORVANE_SOURCE_DIR) + "/samples/device-messages.txt";
        KanjiGrid set{};
        parse_list(read_file(sample), set);
        for (int cell = 0; cell < grid_cells; ++cell)
            if (set[static_cast<std::size_t>(cell)]) sample_codes.push_back(code_of(cell));

        dir = new testing::TempDir;
        const std::string cli = std::string(SORVANE_CLI) + " -C ";
        for (const Font& font : fonts) {
            const std::string bdf = dir->file(std::string(font.name) + ".bdf");
            const std::string pcf = std::string("/usr/share/fonts/X11/misc/") + font.name + ".pcf.gz";
            if (run("pcf2bdf -o " + bdf + " " + pcf) != 0) {
                missing = pcf + " cannot be converted (package xfonts-base)";
                return;
            }
            reference[font.name] = draw_bdf(bdf, font.side);
        }
        for (const char* order : bit_orders) {
            const std::string folder = dir->file(order);
            std::filesystem::create_directory(folder);
            for (const Font& font : fonts)
                ASSERT_EQ(run(cli + folder + " import-bdf ../" + font.name + ".bdf --bit-order " + order + " >/dev/null"), 0);
            ASSERT_EQ(run(cli + folder + " scan " + sample + " >/dev/null && " + cli + folder + " add >/dev/null"), 0);
            for (const Font& font : fonts) {
                for (const char* compiler : compilers) {
                    const std::string name = std::string(font.name) + "-" + compiler + ".inc";
                    ASSERT_EQ(run(cli + folder + " font " + font.name + " >/dev/null && " + cli + folder + " compiler " +
                                  compiler + " >/dev/null && SOURCE_DATE_EPOCH=0 " + cli + folder + " generate " + name +
                                  " >/dev/null"),
                              0);
                }
            }
        }
    }

    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    void SetUp() override {
        if (!missing.empty()) GTEST_SKIP() << missing;
    }

    // Builds show_text against one include file with a C compiler; returns the program.
    static std::string build(const std::string& cc, const std::string& order, const std::string& include_file,
                             const std::string& out) {
        const std::string examples = std::string(SORVANE_SOURCE_DIR) + "/examples";
        const std::string reader = std::string(SORVANE_SOURCE_DIR) + "/firmware";
        const std::string command = cc + " -std=c99 -Wall -Wextra -Werror -Wno-unknown-pragmas -O2 -I" + reader +
                                    " -DSORVANE_FONT_FILE='\"" + dir->file(order + "/" + include_file) + "\"'" +
                                    (order == "msb-left" ? " -DSORVANE_MSB_LEFT" : "") + " " + reader +
                                    "/sorvane_font.c " + reader + "/sorvane_image.c " + reader + "/sorvane_target.c " + reader +
                                    "/sorvane_font_file.c " + examples + "/show_text.c -o " + out;
        EXPECT_EQ(run(command), 0) << command;
        return out;
    }

    // Runs every build of show_text through a runner and compares what it draws with the BDF.
    void compare_all(const std::string& cc, const std::string& runner) {
        int compared = 0;
        for (const char* order : bit_orders) {
            for (const Font& font : fonts) {
                for (const char* compiler : compilers) {
                    const std::string inc = std::string(font.name) + "-" + compiler + ".inc";
                    const std::string program = build(cc, order, inc, dir->file("show_text"));
                    const std::string dump_file = dir->file("dump.txt");
                    ASSERT_EQ(run(runner + program + " --all >" + dump_file), 0) << inc;
                    const Glyphs drawn = parse_dump(read_file(dump_file), font.side);
                    ASSERT_EQ(drawn.size(), sample_codes.size()) << order << " " << inc;
                    for (unsigned code : sample_codes) {
                        ASSERT_EQ(drawn.count(code), 1u) << std::hex << code;
                        EXPECT_EQ(drawn.at(code), reference[font.name][code])
                            << order << " " << inc << ": the glyph of " << std::hex << code;
                        ++compared;
                    }
                }
            }
        }
        EXPECT_EQ(compared, static_cast<int>(sample_codes.size()) * 18);
    }

    static inline testing::TempDir* dir = nullptr;
    static inline std::string missing;
    static inline std::vector<unsigned> sample_codes;
    static inline std::map<std::string, Glyphs> reference;
};

TEST_F(FirmwareExample, HostGccDrawsEveryGlyphAsTheBdf) {
    compare_all("gcc", "");
}

TEST_F(FirmwareExample, MipsWithSignedCharDrawsEveryGlyphAsTheBdf) {
    if (!have("mipsel-linux-gnu-gcc")) GTEST_SKIP() << "mipsel-linux-gnu-gcc is not installed (gcc-mipsel-linux-gnu)";
    if (!have("qemu-mipsel")) GTEST_SKIP() << "qemu-mipsel is not installed (qemu-user)";
    // Plain char is signed there, as with the XC32 compiler's MIPS target.
    EXPECT_EQ(run("printf 'int main(void){return (char)-1 < 0 ? 0 : 1;}' | mipsel-linux-gnu-gcc -x c - -o " +
                  dir->file("signed") + " && qemu-mipsel -L /usr/mipsel-linux-gnu " + dir->file("signed")),
              0);
    compare_all("mipsel-linux-gnu-gcc", "qemu-mipsel -L /usr/mipsel-linux-gnu ");
}

TEST_F(FirmwareExample, CortexMBuildShowsTheFlashTheFontTakes) {
    if (!have("arm-none-eabi-gcc")) GTEST_SKIP() << "arm-none-eabi-gcc is not installed (gcc-arm-none-eabi)";
    const std::string examples = std::string(SORVANE_SOURCE_DIR) + "/examples";
    const std::string reader = std::string(SORVANE_SOURCE_DIR) + "/firmware";
    std::string report;
    for (const Font& font : fonts) {
        for (const char* compiler : compilers) {
            const std::string inc = dir->file(std::string("lsb-left/") + font.name + "-" + compiler + ".inc");
            const std::string elf = dir->file("lcd_demo.elf");
            const std::string command = "arm-none-eabi-gcc -std=c99 -Wall -Wextra -Werror -Wno-unknown-pragmas -Os "
                                        "-mcpu=cortex-m3 -mthumb -specs=nano.specs -specs=nosys.specs -I" +
                                        reader + " -DSORVANE_FONT_FILE='\"" + inc + "\"' " + reader + "/sorvane_font.c " + reader +
                                        "/sorvane_image.c " + reader + "/sorvane_target.c " + reader + "/sorvane_font_file.c " +
                                        examples + "/lcd_demo.c -o " + elf;
            ASSERT_EQ(run(command), 0) << command;
            const std::string sizes = dir->file("sizes.txt");
            ASSERT_EQ(run("arm-none-eabi-nm -S " + elf + " | grep -E ' font_kanji(_index)?$' >" + sizes), 0);
            unsigned long flash = 0;
            std::istringstream in(read_file(sizes));
            std::string address, size, kind, name;
            while (in >> address >> size >> kind >> name) flash += std::stoul(size, nullptr, 16);
            const unsigned long expected = sample_codes.size() * (2 + (font.side == 14 ? 28 : font.side == 16 ? 32 : 72));
            EXPECT_EQ(flash, expected) << inc;
            char line[200];
            std::snprintf(line, sizeof line, "Cortex-M3, %-8s %-5s: font tables take %lu bytes of flash (%zu characters)\n",
                          font.name, compiler, flash, sample_codes.size());
            report += line;
        }
    }
    std::printf("%s", report.c_str());
    testing::write_file(std::string(SORVANE_BINARY_DIR) + "/firmware-flash.txt", report);
}

}  // namespace
}  // namespace sorvane
