# The packaging's vocabularies, made at build time from the program's tables (sorvane-cli
# --vocabulary): the man page, its template's lines "@usage WORD@" replaced by each command's
# usage, and SorvaneVocabulary.cmake, the value lists that sorvane_add_font checks its
# keywords against.
#
#   cmake -DCLI=<sorvane-cli> -DMAN_IN=<template> -DMAN_OUT=<page> -DCMAKE_OUT=<file> -P vocabulary.cmake
execute_process(COMMAND "${CLI}" --vocabulary man INPUT_FILE "${MAN_IN}" OUTPUT_FILE "${MAN_OUT}" RESULT_VARIABLE man)
execute_process(COMMAND "${CLI}" --vocabulary cmake OUTPUT_FILE "${CMAKE_OUT}" RESULT_VARIABLE lists)
if(NOT man EQUAL 0 OR NOT lists EQUAL 0)
  file(REMOVE "${MAN_OUT}" "${CMAKE_OUT}")
  message(FATAL_ERROR "${CLI} --vocabulary failed")
endif()
