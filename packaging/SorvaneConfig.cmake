# The CMake package of Sorvane: find_package(Sorvane) gives the target Sorvane::sorvane-cli,
# the firmware readers Sorvane::font_reader (of the include file) and Sorvane::image_reader
# (of an image in external flash), and the function sorvane_add_font, which makes a
# firmware's include file from its texts.
#
#   sorvane_add_font(<target> MESSAGES <files...> [ENCODING <name>]
#                    [FONT <font>] [COMPILER <compiler>]
#                    [HALF_WIDTH <half-width>] [KEY <key>] [IMAGE <file>]
#                    [OUTPUT <file>] [STATE_DIR <dir>] [MAX_BYTES <n>] [STRICT])
#
# FONT, COMPILER, HALF_WIDTH and KEY take the words of sorvane-cli's font, compiler,
# --half-width and --key (sorvane-cli --help); SorvaneVocabulary.cmake beside this file holds
# them, made from the program's tables when it was built.
#
#   target_link_libraries(<firmware> PRIVATE <target>)
#
# <target> is a library of the firmware reader compiled against its include file, with the
# include file's folder and the reader's header folder for its users. Linked to a firmware,
# it gives it the reader, the font and the order of building. (add_dependencies(<firmware>
# <target>) with the include folder also works, for a firmware that compiles the reader
# itself.) In a project without C, <target> is the custom target alone.
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
# fails it when a character has no glyph in the font. The include file's banner holds the time of
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

# The firmware reader, compiled in each firmware that links it; the firmware says where its
# include file is (SORVANE_FONT_FILE, Font.inc on its include path unless defined).
set(SORVANE_FIRMWARE_DIR "${_sorvane_prefix}/share/sorvane/firmware")
# Sorvane::image_reader reads an image in external flash, and needs no include file.
foreach(reader font_reader:sorvane_font.c image_reader:sorvane_image.c)
  string(REPLACE ":" ";" reader "${reader}")
  list(GET reader 0 name)
  list(GET reader 1 source)
  if(NOT TARGET Sorvane::${name})
    add_library(Sorvane::${name} INTERFACE IMPORTED)
    set_target_properties(Sorvane::${name} PROPERTIES
      INTERFACE_SOURCES "${SORVANE_FIRMWARE_DIR}/${source}"
      INTERFACE_INCLUDE_DIRECTORIES "${SORVANE_FIRMWARE_DIR}")
  endif()
endforeach()

function(sorvane_add_font target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "STRICT" "ENCODING;FONT;COMPILER;HALF_WIDTH;KEY;IMAGE;OUTPUT;STATE_DIR;MAX_BYTES"
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
  list(APPEND guards --half-width ${arg_HALF_WIDTH} --key ${arg_KEY})
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
    COMMENT "Sorvane: ${output} of the characters of ${target}'s messages (${arg_FONT}, ${arg_COMPILER})"
    VERBATIM)
  get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
  if("C" IN_LIST languages)
    # The reader and its tables, built with the firmware's own compiler and flags.
    add_library(${target} STATIC "${SORVANE_FIRMWARE_DIR}/sorvane_font.c" "${output}")
    set_source_files_properties("${output}" PROPERTIES HEADER_FILE_ONLY TRUE GENERATED TRUE)
    set_source_files_properties("${SORVANE_FIRMWARE_DIR}/sorvane_font.c" PROPERTIES OBJECT_DEPENDS "${output}")
    target_compile_definitions(${target} PRIVATE "SORVANE_FONT_FILE=\"${output}\"")
    target_include_directories(${target} PUBLIC "${output_dir}" "${SORVANE_FIRMWARE_DIR}")
  else()
    add_custom_target(${target} DEPENDS "${output}")
  endif()
  set_target_properties(${target} PROPERTIES SORVANE_OUTPUT "${output}" SORVANE_IMAGE "${image}")
endfunction()
