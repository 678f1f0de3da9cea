# What an installed Sorvane holds, and the packages CPack makes of it:
#   Linux: sorvane_<version>_amd64.deb, with sorvane-cli, the three font source files and
#          their half-width ones in share/sorvane, the firmware reader in
#          share/sorvane/firmware, the man page, bash completion and the CMake package;
#   Windows (the MinGW cross build): Sorvane-<version>-win64.zip, the two programs with the
#          fonts beside them, the firmware reader in firmware/, a short README and the license.
# The font source files are made at build time by the program's own import from the X11
# fonts Debian ships (xfonts-base), the half-width ones from their JIS X 0201 companions; a
# cross build runs a sorvane-cli of this machine for it.

include(CMakePackageConfigHelpers)

set(SORVANE_VERSION "${PROJECT_VERSION}")  # in the man page and the zip's README

if(WIN32)
  set(sorvane_bin_dir .)
  set(sorvane_font_dir .)
  set(sorvane_doc_dir .)
  set(sorvane_firmware_dir firmware)
else()
  set(sorvane_bin_dir bin)
  set(sorvane_font_dir share/sorvane)
  set(sorvane_doc_dir share/doc/sorvane)
  set(sorvane_firmware_dir share/sorvane/firmware)
endif()

set(SORVANE_X11_FONT_DIR /usr/share/fonts/X11/misc CACHE PATH "Where the X11 fonts k14, jiskan16 and jiskan24 are")
if(CMAKE_CROSSCOMPILING)
  set(SORVANE_HOST_CLI "${CMAKE_SOURCE_DIR}/build/sorvane-cli" CACHE FILEPATH
      "A sorvane-cli that runs on this machine, to make the font source files of the package")
  set(font_importer "${SORVANE_HOST_CLI}")
  set(font_importer_target "")
else()
  set(font_importer "$<TARGET_FILE:sorvane-cli>")
  set(font_importer_target sorvane-cli)
endif()

set(font_sources "")
set(fonts_at_hand TRUE)
foreach(font k14:K14:7x14-JISX0201.1976-0:H14 jiskan16:J16:8x16rk:H16 jiskan24:J24:12x24rk:H24)
  string(REPLACE ":" ";" font "${font}")
  list(GET font 0 x11_name)
  list(GET font 1 suffix)
  list(GET font 2 x11_half_name)
  list(GET font 3 half_suffix)
  set(x11_font "${SORVANE_X11_FONT_DIR}/${x11_name}.pcf.gz")
  set(x11_half_font "${SORVANE_X11_FONT_DIR}/${x11_half_name}.pcf.gz")
  if(NOT EXISTS "${x11_font}" OR NOT EXISTS "${x11_half_font}")
    set(fonts_at_hand FALSE)
  endif()
  set(made "${CMAKE_BINARY_DIR}/share/sorvane/Sorvane.${suffix}")
  set(made_half "${CMAKE_BINARY_DIR}/share/sorvane/Sorvane.${half_suffix}")
  list(APPEND font_sources "${made}" "${made_half}")
  add_custom_command(OUTPUT "${made}" "${made_half}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/share/sorvane"
    COMMAND "${font_importer}" import-font "${x11_font}" --half "${x11_half_font}" -o "${made}"
    DEPENDS "${x11_font}" "${x11_half_font}" ${font_importer_target}
    COMMENT "Font source files Sorvane.${suffix} and Sorvane.${half_suffix} from the X11 fonts ${x11_name} and ${x11_half_name}"
    VERBATIM)
endforeach()
if(CMAKE_CROSSCOMPILING AND NOT EXISTS "${SORVANE_HOST_CLI}")
  set(fonts_at_hand FALSE)
endif()
if(fonts_at_hand)
  add_custom_target(sorvane_fonts ALL DEPENDS ${font_sources})
  install(FILES ${font_sources} DESTINATION ${sorvane_font_dir})
else()
  message(WARNING "The packages will carry no fonts: the X11 fonts (xfonts-base) are not in "
                  "${SORVANE_X11_FONT_DIR}, or this cross build has no sorvane-cli of this machine "
                  "(SORVANE_HOST_CLI: ${SORVANE_HOST_CLI})")
endif()

install(TARGETS sorvane-cli RUNTIME DESTINATION ${sorvane_bin_dir})
# The firmware reader, every source and header of it (sorvane_font.h the one a firmware
# includes; sorvane_font_file.c for a file made without a name), its README and the image's format.
file(GLOB sorvane_firmware_files CONFIGURE_DEPENDS firmware/sorvane_*.c firmware/sorvane_*.h)
install(FILES ${sorvane_firmware_files} firmware/README.md docs/font-image.md DESTINATION ${sorvane_firmware_dir})
if(WIN32)
  install(TARGETS Sorvane RUNTIME DESTINATION ${sorvane_bin_dir})
  configure_file(packaging/README-windows.txt "${CMAKE_BINARY_DIR}/README.txt" @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE "${CMAKE_BINARY_DIR}/LICENSE.txt" COPYONLY)
  configure_file(FONT-NOTICES "${CMAKE_BINARY_DIR}/FONT-NOTICES.txt" COPYONLY)
  install(FILES "${CMAKE_BINARY_DIR}/README.txt" "${CMAKE_BINARY_DIR}/LICENSE.txt" "${CMAKE_BINARY_DIR}/FONT-NOTICES.txt"
          DESTINATION ${sorvane_doc_dir})
else()
  # The man page, gzipped as Debian keeps them, with the release in its footer and each
  # command's usage from the tables; and the value lists of the CMake package.
  configure_file(packaging/sorvane-cli.1 "${CMAKE_BINARY_DIR}/man/sorvane-cli.1.in" @ONLY)
  add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/man/sorvane-cli.1" "${CMAKE_BINARY_DIR}/SorvaneVocabulary.cmake"
    COMMAND "${CMAKE_COMMAND}" -DCLI=$<TARGET_FILE:sorvane-cli> "-DMAN_IN=${CMAKE_BINARY_DIR}/man/sorvane-cli.1.in"
            "-DMAN_OUT=${CMAKE_BINARY_DIR}/man/sorvane-cli.1" "-DCMAKE_OUT=${CMAKE_BINARY_DIR}/SorvaneVocabulary.cmake"
            -P "${CMAKE_SOURCE_DIR}/cmake/vocabulary.cmake"
    DEPENDS sorvane-cli "${CMAKE_BINARY_DIR}/man/sorvane-cli.1.in" "${CMAKE_SOURCE_DIR}/cmake/vocabulary.cmake"
    VERBATIM)
  add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/man/sorvane-cli.1.gz"
    COMMAND gzip -9nkf "${CMAKE_BINARY_DIR}/man/sorvane-cli.1"
    DEPENDS "${CMAKE_BINARY_DIR}/man/sorvane-cli.1"
    VERBATIM)
  add_custom_target(sorvane_man ALL DEPENDS "${CMAKE_BINARY_DIR}/man/sorvane-cli.1.gz" "${CMAKE_BINARY_DIR}/SorvaneVocabulary.cmake")
  install(FILES "${CMAKE_BINARY_DIR}/man/sorvane-cli.1.gz" DESTINATION share/man/man1)
  install(FILES packaging/sorvane-cli.bash DESTINATION share/bash-completion/completions RENAME sorvane-cli)
  write_basic_package_version_file("${CMAKE_BINARY_DIR}/SorvaneConfigVersion.cmake"
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
  install(FILES packaging/SorvaneConfig.cmake "${CMAKE_BINARY_DIR}/SorvaneConfigVersion.cmake"
                "${CMAKE_BINARY_DIR}/SorvaneVocabulary.cmake"
          DESTINATION share/cmake/Sorvane)
  file(READ LICENSE license_text)
  file(READ FONT-NOTICES notices_text)
  file(WRITE "${CMAKE_BINARY_DIR}/copyright" "Sorvane, under the MIT license:\n\n${license_text}\n\n${notices_text}")
  install(FILES "${CMAKE_BINARY_DIR}/copyright" README.md DESTINATION ${sorvane_doc_dir})
endif()

set(CPACK_PACKAGE_NAME sorvane)
set(CPACK_PACKAGE_VENDOR "The Sorvane developers")
set(CPACK_PACKAGE_CONTACT "The Sorvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese bitmap fonts for microcontrollers, of exactly the characters their texts use")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Sorvane-${PROJECT_VERSION}-win64")
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Japanese bitmap fonts for microcontrollers, of exactly the characters their texts use\n"
    "sorvane-cli finds which two-byte JIS X 0208 characters (kanji, kana, full-width\n"
    "symbols) a firmware's texts use and writes a C include file with their Shift_JIS\n"
    "codes and bitmaps from K14, jiskan16 or jiskan24, for XC32, CC-RH or any C99\n"
    "compiler. With the three fonts, a man page, bash completion and a CMake package\n"
    "(find_package(Sorvane), sorvane_add_font).")
  # The libraries sorvane-cli links with, found by dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
