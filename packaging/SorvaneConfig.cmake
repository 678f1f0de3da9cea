# The CMake package of Sorvane: find_package(Sorvane) gives the target Sorvane::sorvane-cli,
# the firmware reader Sorvane::reader (the drawing, the fonts of tables and of images, the
# targets), and the function sorvane_add_font, which makes a font of a firmware's texts.
#
#   sorvane_add_font(<target> MESSAGES <files...> [NAME <identifier>] [ENCODING <name>]
#                    [FONT <font>] [COMPILER <compiler>]
#                    [HALF_WIDTH <half-width>] [KEY <key>] [IMAGE <file>]
#                    [OUTPUT <file>] [STATE_DIR <dir>] [MAX_BYTES <n>] [STRICT] [COMPRESS])
#
# FONT, COMPILER, HALF_WIDTH and KEY take the words of sorvane-cli's font, compiler,
# --half-width and --key (sorvane-cli --help); SorvaneVocabulary.cmake beside this file holds
# them, made from the program's tables when it was built.
#
#   target_link_libraries(<firmware> PRIVATE <target>)
#
# <target> is a library of one font, `const sorvane_font <identifier>` (generate --name;
# NAME is the target's name made a C identifier unless given: each other character an _, a
# leading digit after an _), compiled from a generated .c file that includes the include
# file. A firmware declares it in one line, extern const sorvane_font <identifier>;. Linked
# to a firmware, it gives it the font, the reader's header folder, the order of building and
# Sorvane::reader, whose sources the firmware compiles itself, once however many fonts it
# links: two fonts in one firmware are one reader and two fonts. Definitions the reader and
# the fonts must share (SORVANE_AVR_PROGMEM, SORVANE_FONT_FLASH) go on each font target as
# PUBLIC ones, which reach the firmware too. In a project without C, <target> is the
# custom target alone.
#
# A firmware of 1.11's kind, with an include file made without a name (by the command line,
# or by its own rule), links Sorvane::font_reader: the reader and sorvane_font_file.c, which
# makes the font sorvane_file_font of the file SORVANE_FONT_FILE names (Font.inc on its
# include path unless defined). Sorvane::image_reader is Sorvane::reader under 1.11's name.
#
# The include file, OUTPUT (<target>/Font.inc in the current build folder unless given), is
# written again whenever a message file changes: it registers exactly the
# characters of the messages in its state folder (STATE_DIR, <target>-sorvane in the
# current build folder unless given, made with sorvane-cli init), chooses the font (K14
# unless given) and the compiler (XC32 unless given) and generates. HALF_WIDTH and KEY are
# generate's --half-width and --key (none unless given); IMAGE writes the font's image for external flash as
# well (generate --image), made again with the include file, for a build step of its own
# that flashes it (the target property SORVANE_IMAGE holds its path), and without it
# generate --no-image. Every run passes all of them, so that a keyword taken out of the
# build is undone in the state folder too. MAX_BYTES fails the
# build when the tables (the image, with IMAGE) would take more flash than that; STRICT
# fails it when a character has no glyph in the font. COMPRESS compresses each glyph on its own
# (generate --compress; without it, --no-compress), each set of glyphs only where that takes
# fewer bytes, as the file's FONT_COMPRESSED and FONT_HALF_COMPRESSED say; the reader draws
# either. The include file's banner holds the time of
# SOURCE_DATE_EPOCH as it was when the project was configured, else 1970-01-01, so that
# the same messages always give the same file.
cmake_minimum_required(VERSION 3.16)
include("${CMAKE_CURRENT_LIST_DIR}/SorvaneVocabulary.cmake")

get_filename_component(_sorvane_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET Sorvane::sorvane-cli)
  find_program(SORVANE_CLI sorvane-cli PATHS "${_sorvane_prefix}/bin" NO_DEFAULT_PATH)
  if(NOT SORVANE_CLI)
    set(Sorvane_FOUND FALSE)
    set(Sorvane_NOT_FOUND_MESSAGE "sorvane-cli is not in ${_sorvane_prefix}/bin")
    return()
  endif()
  add_executable(Sorvane::sorvane-cli IMPORTED)
  set_target_properties(Sorvane::sorvane-cli PROPERTIES IMPORTED_LOCATION "${SORVANE_CLI}")
endif()

# The firmware reader, compiled in each firmware that links it, with the firmware's own
# compiler and flags: an interface library, whose sources a firmware compiles once whatever
# number of fonts bring it.
set(SORVANE_FIRMWARE_DIR "${_sorvane_prefix}/share/sorvane/firmware")
if(NOT TARGET Sorvane::reader)
  add_library(Sorvane::reader INTERFACE IMPORTED)
  set_target_properties(Sorvane::reader PROPERTIES
    INTERFACE_SOURCES "${SORVANE_FIRMWARE_DIR}/sorvane_font.c;${SORVANE_FIRMWARE_DIR}/sorvane_image.c;${SORVANE_FIRMWARE_DIR}/sorvane_target.c"
    INTERFACE_INCLUDE_DIRECTORIES "${SORVANE_FIRMWARE_DIR}")
endif()
if(NOT TARGET Sorvane::font_reader)
  add_library(Sorvane::font_reader INTERFACE IMPORTED)
  set_target_properties(Sorvane::font_reader PROPERTIES
    INTERFACE_SOURCES "${SORVANE_FIRMWARE_DIR}/sorvane_font_file.c" INTERFACE_LINK_LIBRARIES Sorvane::reader)
endif()
if(NOT TARGET Sorvane::image_reader)
  add_library(Sorvane::image_reader INTERFACE IMPORTED)
  set_target_properties(Sorvane::image_reader PROPERTIES INTERFACE_LINK_LIBRARIES Sorvane::reader)
endif()

function(sorvane_add_font target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "STRICT;COMPRESS" "NAME;ENCODING;FONT;COMPILER;HALF_WIDTH;KEY;IMAGE;OUTPUT;STATE_DIR;MAX_BYTES"
                        "MESSAGES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "sorvane_add_font(${target}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_MESSAGES)
    message(FATAL_ERROR "sorvane_add_font(${target}): MESSAGES names no file")
  endif()
  # Each keyword's first word unless given: the font and the compiler of a first run, no
  # half-width glyphs and no key.
  foreach(keyword FONT COMPILER HALF_WIDTH KEY)
    if(NOT DEFINED arg_${keyword})
      list(GET SORVANE_${keyword}_WORDS 0 arg_${keyword})
    elseif(NOT arg_${keyword} IN_LIST SORVANE_${keyword}_WORDS)
      string(REPLACE ";" ", " words "${SORVANE_${keyword}_WORDS}")
      message(FATAL_ERROR "sorvane_add_font(${target}): ${keyword} is one of ${words}, not ${arg_${keyword}}")
    endif()
  endforeach()
  # The font's C identifier; the program refuses a keyword, or a name the reader uses.
  if(NOT DEFINED arg_NAME)
    string(MAKE_C_IDENTIFIER "${target}" arg_NAME)
  endif()
  string(LENGTH "${arg_NAME}" name_length)
  if(NOT arg_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$" OR name_length GREATER 63)
    message(FATAL_ERROR "sorvane_add_font(${target}): NAME is a C identifier of at most 63 characters, not ${arg_NAME}")
  endif()
  if(DEFINED arg_MAX_BYTES AND NOT arg_MAX_BYTES MATCHES "^[0-9]+$")
    message(FATAL_ERROR "sorvane_add_font(${target}): MAX_BYTES is a number of bytes, not ${arg_MAX_BYTES}")
  endif()
  if(NOT arg_OUTPUT)
    set(arg_OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/${target}/Font.inc")
  endif()
  if(NOT arg_STATE_DIR)
    set(arg_STATE_DIR "${CMAKE_CURRENT_BINARY_DIR}/${target}-sorvane")
  endif()
  get_filename_component(output "${arg_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(state "${arg_STATE_DIR}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  set(messages "")
  foreach(file IN LISTS arg_MESSAGES)
    get_filename_component(file "${file}" ABSOLUTE)
    list(APPEND messages "${file}")
  endforeach()
  set(encoding "")
  if(arg_ENCODING)
    set(encoding --encoding "${arg_ENCODING}")
  endif()
  set(guards "")
  if(DEFINED arg_MAX_BYTES)
    list(APPEND guards --max-bytes ${arg_MAX_BYTES})
  endif()
  if(arg_STRICT)
    list(APPEND guards --strict)
  endif()
  # Every choice of generate on each run, the words that undo them included: the state folder
  # outlives the build, and keeps the choices of the last generation.
  list(APPEND guards --half-width ${arg_HALF_WIDTH} --key ${arg_KEY} --name ${arg_NAME})
  if(arg_COMPRESS)
    list(APPEND guards --compress)
  else()
    list(APPEND guards --no-compress)
  endif()
  set(image "")
  set(image_dir "")
  if(arg_IMAGE)
    get_filename_component(image "${arg_IMAGE}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    get_filename_component(image_dir "${image}" DIRECTORY)
    list(APPEND guards --image "${image}")
  else()
    list(APPEND guards --no-image)
  endif()
  set(epoch 0)
  if(DEFINED ENV{SOURCE_DATE_EPOCH} AND "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  endif()

  set(cli "$<TARGET_FILE:Sorvane::sorvane-cli>")
  get_filename_component(output_dir "${output}" DIRECTORY)
  add_custom_command(
    OUTPUT "${output}" ${image}
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${output_dir}" ${image_dir}
    COMMAND ${cli} init "${state}"
    COMMAND ${cli} -C "${state}" clear
    COMMAND ${cli} -C "${state}" clear-detected
    COMMAND ${cli} -C "${state}" scan ${encoding} --add ${messages}
    COMMAND ${cli} -C "${state}" font ${arg_FONT}
    COMMAND ${cli} -C "${state}" compiler ${arg_COMPILER}
    COMMAND "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=${epoch} ${cli} -C "${state}" generate "${output}" ${guards}
    DEPENDS ${messages} Sorvane::sorvane-cli
    COMMENT "Sorvane: ${output}, the font ${arg_NAME} of the characters of ${target}'s messages (${arg_FONT}, ${arg_COMPILER})"
    VERBATIM)
  get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
  if("C" IN_LIST languages)
    # The font, compiled from a .c file of one line that includes its include file (written
    # only when it changes, so that a configure run rebuilds nothing); the reader comes with
    # it for the firmware that links it, which compiles it once.
    set(unit "${CMAKE_CURRENT_BINARY_DIR}/${target}/${arg_NAME}.c")
    set(unit_text "/* The font ${arg_NAME} of sorvane_add_font(${target}). */\n#include \"${output}\"\n")
    set(unit_was "")
    if(EXISTS "${unit}")
      file(READ "${unit}" unit_was)
    endif()
    if(NOT unit_was STREQUAL unit_text)
      file(WRITE "${unit}" "${unit_text}")
    endif()
    add_library(${target} STATIC "${unit}" "${output}")
    set_source_files_properties("${output}" PROPERTIES HEADER_FILE_ONLY TRUE GENERATED TRUE)
    set_source_files_properties("${unit}" PROPERTIES OBJECT_DEPENDS "${output}")
    target_include_directories(${target} PUBLIC "${output_dir}" "${SORVANE_FIRMWARE_DIR}")
    target_link_libraries(${target} INTERFACE Sorvane::reader)
  else()
    add_custom_target(${target} DEPENDS "${output}")
  endif()
  set_target_properties(${target} PROPERTIES SORVANE_OUTPUT "${output}" SORVANE_IMAGE "${image}")
endfunction()
