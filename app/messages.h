// The messages every face shows, each a Japanese/English pair of Shift_JIS texts.
#pragma once

namespace sorvane {

enum Message : int {
    no_message = -1,    // success
    message_said = -2,  // a failure the face has already described in its own words
    message_cannot_open_input = 10,     // "入力ファイルが開けません\n" / "Can't open the input file.\n"
    message_cannot_create_output = 11,  // "出力ファイルが作れません\n" / "Can't create the output file.\n"
    message_cannot_read = 12,           // "ファイルが読めません\n" / "Can't read the file.\n"
    message_cannot_write = 13,          // "...書けません。元のファイルはそのままです" / "...; the old one is unchanged."
    message_cannot_change_folder = 14,  // "フォルダに移れません\n" / "Can't change to the folder.\n"
    message_folder_in_use = 15,         // "フォルダは他の実行が使用中です。..." / "The folder is in use by another run; ..."
    message_settings_damaged = 16,      // "設定ファイルが壊れています\n" / "The settings file is damaged.\n"
    // What sorvane-cli says, and the reasons it gives. %1 to %9 stand for the values it
    // fills in (paths, numbers, words), in the order each language puts them.
    message_not_a_file = 20,
    message_output_is_generation_input = 21,
    message_output_is_picture_source = 22,
    message_output_is_imported_font = 23,
    message_output_is_message_text = 24,
    message_output_is_settings = 25,
    message_locked_for = 26,
    message_damaged_left = 27,
    message_damaged_not_shown = 28,
    message_read_error = 29,
    message_write_error = 30,
    message_no_ini_path = 31,
    message_left_out = 32,
    message_left_out_first_ten = 33,
    message_counts = 34,
    message_and_more = 35,
    message_font_ends_early = 36,
    message_missing_glyphs = 37,
    message_epoch_not_a_number = 38,
    message_epoch_beyond_calendar = 39,
    message_scanned_file = 40,
    message_scanned_files = 41,
    message_too_big = 42,
    message_strict_missing = 43,
    message_strict_no_font = 44,
    message_generated = 45,
    message_font_chosen = 46,
    message_compiler_chosen = 47,
    message_language_chosen = 48,
    message_not_a_character = 49,
    message_ends_inside_character = 50,
    message_not_an_include_file = 51,
    message_drew_text = 52,
    message_drew_glyphs = 53,
    message_coverage_whole = 54,
    message_coverage_lacking = 55,
    message_coverage_lacking_many = 56,
    message_glyphs_cut = 57,
    message_glyphs_duplicated = 58,
    message_no_program_folder = 59,
    message_not_a_folder = 60,
    message_already_there = 61,
    message_copied_from = 62,
    message_no_installed_fonts = 63,
    message_font_refused = 64,
    message_font_size_differs = 65,
    message_no_jis_glyph = 66,
    message_imported = 67,
    message_imported_skipped = 68,
    message_unknown_encoding = 69,
    message_empty_encoding = 70,
    message_font_too_large = 71,
    message_gzip_damaged = 72,
    message_gzip_cut_short = 73,
    message_gzip_not_unpacked = 74,
    message_zlib_cannot_open = 75,
    message_folder_in_use_window = 76,
    message_list_line = 77,
    message_character_line = 78,
    message_left_out_line = 79,
    message_listed_detected = 80,
    message_listed_registered = 81,
    message_listed_font = 82,
    message_listed_font_stored_as = 83,
    message_listed_compiler = 84,
    message_listed_compiler_stored_as = 85,
    message_listed_language = 86,
    message_listed_text_file = 87,
    message_listed_output_file = 88,
    message_listed_settings_file = 89,
    message_place_reason = 90,
    message_generated_layout = 91,
    message_half_unreadable = 92,
    message_half_blank = 93,
    message_strict_half_missing = 94,
    message_unicode_left_out = 95,
    message_imported_half = 96,
    message_half_size_differs = 97,
    message_no_half_glyph = 98,
    message_left_out_half_width = 99,
    message_text_not_in_encoding = 100,
    message_image_is_include_file = 101,
    message_image_written = 102,
    message_image_too_big = 103,
    message_half_wrong_size = 104,
    message_half_too_wide = 105,
    message_missing_half_glyphs = 106,
    message_other_generation = 107,
    message_lock_is_link = 108,
    message_lock_refused = 109,
    message_lock_refused_at_start = 110,
    message_lock_refused_at_close = 111,
    message_drew_text_cut = 112,
    message_listed_half_width = 113,
    message_listed_key = 114,
    message_listed_image = 115,
    message_listed_name = 116,
    message_name_not_identifier = 117,
    message_name_reserved = 118,
    message_listed_compress = 119,
    message_too_big_compressed = 120,
    message_image_too_big_compressed = 121,
    message_compressed_tables = 122,
    message_compress_not_paid = 123,
    message_plan_heading = 124,
    message_plan_columns = 125,
    message_plan_words = 126,
    message_plan_no_half = 127,
    message_plan_fitting = 128,
    message_end
};

inline constexpr int message_count = message_end;

// Message k of the message table in a language (0 Japanese, 1 English): entry 2k + language;
// the empty text for a number past the table.
const char* message_text(int message, int language);

}  // namespace sorvane
