// The make rule and the CMake snippet of the README, exactly as they stand there, in small
// firmware projects: Font.inc is made from the message files and made again when they change.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "tests/test_support.h"

namespace sorvane {
namespace {

using testing::read_file;
using testing::write_file;

// The first fenced block of a language after a heading of the README.
std::string readme_block(const std::string& heading, const std::string& language) {
    const std::string readme = read_file(std::string(SORVANE_SOURCE_DIR) + "/README.md");
    const std::size_t section = readme.find(heading);
    if (section == std::string::npos) return "";
    const std::string fence = "```" + language + "\n";
    const std::size_t start = readme.find(fence, section);
    if (start == std::string::npos) return "";
    const std::size_t end = readme.find("```\n", start + fence.size());
    return readme.substr(start + fence.size(), end - start - fence.size());
}

int run(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// A project with a message file in UTF-8 and a font folder ready for jiskan16.
class BuildRule : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.path / "messages");
        std::filesystem::create_directories(dir.path / "font");
        write_file(dir.file("messages/ready.txt"), "READY \xe6\xbc\xa2\n");  // 漢
        write_file(dir.file("font/test.bdf"), testing::bdf_font(16, {testing::bdf_glyph16(0x3441, {0xFFFF}),
                                                                     testing::bdf_glyph16(0x3B7A, {0x8001})}));
        const std::string cli = std::string(SORVANE_CLI) + " -C " + dir.file("font");
        ASSERT_EQ(run(cli + " import-bdf test.bdf >/dev/null && " + cli + " font jiskan16 >/dev/null"), 0);
    }

    std::string in(const std::string& folder) const { return "cd " + testing::quoted(dir.file(folder)) + " && "; }

    // A second message file, with 字; newer than everything made so far.
    void add_message() {
        write_file(dir.file("messages/alarm.txt"), "ALARM \xe5\xad\x97\n");
        std::filesystem::last_write_time(dir.file("messages/alarm.txt"),
                                         std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
    }

    testing::TempDir dir;
};

TEST_F(BuildRule, MakeRuleOfTheReadme) {
    const std::string rule = readme_block("### In a firmware build", "make");
    ASSERT_NE(rule.find("font/Font.inc:"), std::string::npos) << "the README's make rule is gone";
    write_file(dir.file("Makefile"), rule);
    const std::string make = in(".") + "make -s SORVANE=" + SORVANE_CLI + " font/Font.inc >/dev/null 2>&1";
    ASSERT_EQ(run(make), 0);
    EXPECT_NE(read_file(dir.file("font/Font.inc")).find("\t0x8abf\r\n"), std::string::npos);
    EXPECT_EQ(run(in(".") + "make -q SORVANE=" + SORVANE_CLI + " font/Font.inc"), 0) << "up to date";
    add_message();
    EXPECT_EQ(run(in(".") + "make -q SORVANE=" + SORVANE_CLI + " font/Font.inc"), 1) << "out of date";
    ASSERT_EQ(run(make), 0);
    EXPECT_NE(read_file(dir.file("font/Font.inc")).find("\t0x8abf,0x8e9a\r\n"), std::string::npos);
}

// The CMake snippet against Sorvane as cmake --install puts it in a prefix: its own fonts
// (jiskan16 has both characters), copied into the state folder by init.
TEST_F(BuildRule, CMakeSnippetOfTheReadme) {
    const std::string snippet = readme_block("### In a firmware build", "cmake");
    ASSERT_NE(snippet.find("sorvane_add_font"), std::string::npos) << "the README's CMake snippet is gone";
    const std::string prefix = dir.file("prefix");
    ASSERT_EQ(run("cmake --install " + std::string(SORVANE_BINARY_DIR) + " --prefix " + prefix + " >/dev/null"), 0);
    // A firmware that prints a UTF-8 text as dot art with the font FONT, and exits 1 when the
    // font lacks a character of it.
    write_file(dir.file("show.c"), "#include <stdio.h>\n#include \"sorvane_font.h\"\nextern const sorvane_font FONT;\n"
                                   "static char dots[32][512];\nstatic void plot(void *c, int x, int y) { (void)c; "
                                   "if (x >= 0 && x < 512 && y >= 0 && y < 32) dots[y][x] = 1; }\n"
                                   "int main(int argc, char **argv) { sorvane_target t; int x, y, w; if (argc < 2) return 2;\n"
                                   "sorvane_target_plot(&t, plot, 0); w = sorvane_draw_utf8(&FONT, argv[1], 0, 0, &t);\n"
                                   "for (y = 0; y < FONT.height; ++y) { for (x = 0; x < w; ++x) putchar(dots[y][x] ? '#' : '.'); "
                                   "putchar('\\n'); }\nreturn sorvane_missing_utf8(&FONT, argv[1]) != 0; }\n");
    // Beside the README's target, a firmware of 1.11's kind, of the same characters in an
    // include file made without a name, and the reader of images, which needs no font.
    write_file(dir.file("image.c"), "#include \"sorvane_font.h\"\nstatic int none(void *c, unsigned long o, void *b, unsigned n) "
                                    "{ (void)c; (void)o; (void)b; (void)n; return -7; }\nint main(void) { sorvane_font f; "
                                    "return sorvane_open_image(&f, none, 0) == -7 ? 0 : 1; }\n");
    write_file(dir.file("CMakeLists.txt"), "cmake_minimum_required(VERSION 3.25)\nproject(firmware C)\n"
                                           "add_executable(firmware show.c)\ntarget_compile_definitions(firmware PRIVATE FONT=font)\n" +
                                           snippet +
                                           "add_executable(reader_only show.c)\n"
                                           "target_link_libraries(reader_only PRIVATE Sorvane::font_reader)\n"
                                           "target_compile_definitions(reader_only PRIVATE FONT=sorvane_file_font "
                                           "SORVANE_FONT_FILE=\"${CMAKE_CURRENT_BINARY_DIR}/plain.inc\")\n"
                                           "add_executable(image_only image.c)\ntarget_link_libraries(image_only PRIVATE Sorvane::image_reader)\n");
    const std::string configure = "cmake -S " + dir.path.string() + " -B " + dir.file("build") +
                                  " -DCMAKE_PREFIX_PATH=" + prefix + " >" + dir.file("configure.log") + " 2>&1";
    const std::string build = "cmake --build " + dir.file("build") + " >" + dir.file("build.log") + " 2>&1";
    ASSERT_EQ(run(configure), 0) << read_file(dir.file("configure.log"));
    ASSERT_EQ(run(build + " --target firmware"), 0) << read_file(dir.file("build.log"));
    const std::string font_file = dir.file("build/font/Font.inc");
    EXPECT_NE(read_file(font_file).find("\t0x6f22\r\n"), std::string::npos) << "漢 by its code point";
    EXPECT_NE(read_file(font_file).find("\nconst sorvane_font font = "), std::string::npos) << "named by its target";
    ASSERT_EQ(run(std::string(SORVANE_CLI) + " -C " + dir.file("build/font-sorvane") + " generate " + dir.file("build/plain.inc") +
                  " --no-name >/dev/null"), 0);
    ASSERT_EQ(run(build), 0) << read_file(dir.file("build.log"));
    EXPECT_EQ(run(dir.file("build/firmware") + " 'READY \xe6\xbc\xa2' >" + dir.file("out.txt")), 0)
        << "the firmware draws every character of the message";
    EXPECT_EQ(read_file(dir.file("out.txt")).find('\n'), 6u * 8 + 16) << "six half-width cells and one full-width";
    EXPECT_EQ(run(dir.file("build/reader_only") + " 'READY \xe6\xbc\xa2' | cmp -s - " + dir.file("out.txt")), 0);
    EXPECT_EQ(run(dir.file("build/image_only")), 0);

    ASSERT_EQ(run(build), 0);
    EXPECT_EQ(read_file(dir.file("build.log")).find("Sorvane:"), std::string::npos) << "up to date";
    add_message();
    ASSERT_EQ(run(build), 0);
    EXPECT_NE(read_file(dir.file("build.log")).find("Sorvane:"), std::string::npos);
    EXPECT_NE(read_file(font_file).find("\t0x5b57,0x6f22\r\n"), std::string::npos);
    // A keyword taken out of the build is undone in the state folder, which keeps the choices.
    std::string project = read_file(dir.file("CMakeLists.txt"));
    EXPECT_NE(read_file(font_file).find("#define FONT_COMPRESSED\t\t1"), std::string::npos);
    project.erase(project.find(" KEY unicode"), 12);
    project.erase(project.find(" COMPRESS"), 9);
    write_file(dir.file("CMakeLists.txt"), project);
    ASSERT_EQ(run(build), 0) << read_file(dir.file("build.log"));
    EXPECT_NE(read_file(font_file).find("\t0x8abf,0x8e9a\r\n"), std::string::npos) << "by Shift_JIS code again";
    EXPECT_EQ(read_file(font_file).find("FONT_COMPRESSED"), std::string::npos) << "raw again";
}

// The README's import commands, each block as it stands, in a folder of its own.
TEST_F(BuildRule, ImportCommandsOfTheReadme) {
    const std::string readme = read_file(std::string(SORVANE_SOURCE_DIR) + "/README.md");
    const std::size_t section = readme.find("### Font source files from any Japanese font");
    const std::size_t next = readme.find("\n### ", section + 1);
    ASSERT_NE(section, std::string::npos);
    const std::string cli_folder = std::filesystem::path(SORVANE_CLI).parent_path().string();
    std::vector<std::string> made;
    for (std::size_t at = readme.find("```sh\n", section); at < next; at = readme.find("```sh\n", at + 1)) {
        const std::string block = readme.substr(at + 6, readme.find("```\n", at + 6) - at - 6);
        const std::string folder = "import" + std::to_string(made.size());
        std::filesystem::create_directories(dir.path / folder);
        EXPECT_EQ(run(in(folder) + "PATH=" + cli_folder + ":$PATH sh -e -c " + testing::quoted(block) + " >/dev/null 2>&1"), 0) << block;
        std::string names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path / folder)) names += entry.path().filename().string() + " ";
        made.push_back(names);
    }
    ASSERT_EQ(made.size(), 2u) << "the README's two import blocks";
    for (const char* file : {"Sorvane.J16", "Sorvane.H16"}) EXPECT_NE(made[0].find(file), std::string::npos) << made[0];
    // The TrueType font has half-width glyphs of its own.
    for (const char* file : {"Sorvane.J16", "Sorvane.J24", "Sorvane.H24"}) EXPECT_NE(made[1].find(file), std::string::npos) << made[1];
}

// The README's command for an image in external flash, as it stands, in a font folder with
// the build's half-width font source file.
TEST_F(BuildRule, ImageCommandOfTheReadme) {
    const std::string command = readme_block("### Fonts in external flash", "sh");
    ASSERT_NE(command.find("--image font.bin"), std::string::npos) << "the README's image command is gone";
    ASSERT_EQ(run("cp " + std::string(SORVANE_BINARY_DIR) + "/share/sorvane/Sorvane.H16 " + dir.file("font/")), 0);
    const std::string cli_folder = std::filesystem::path(SORVANE_CLI).parent_path().string();
    ASSERT_EQ(run(in(".") + "PATH=" + cli_folder + ":$PATH sh -e -c " + testing::quoted(command) + " >/dev/null"), 0);
    EXPECT_EQ(read_file(dir.file("font/font.bin")).substr(0, 8), std::string("SORVANE\x1a", 8));
    EXPECT_NE(read_file(dir.file("font/Font.inc")).find("#define FONT_KEY\t\t1"), std::string::npos);
    EXPECT_NE(read_file(dir.file("font/Font.inc")).find("const sorvane_font tables ="), std::string::npos)
        << "the sketch after the command declares the font tables";
}

}  // namespace
}  // namespace sorvane
