#!/bin/sh
# The house in layers: each folder includes only from itself and the folders below it, in
# the order core, fontgen, state, app, then ui and cli side by side. Tests stand in their
# module's folder and are held to the same order; the tests of core and fontgen take their
# helpers from tests/font_test_support.h, which includes nothing above fontgen.
#
#   tests/layers.sh SOURCE_DIR
cd "$1" || exit 2
below() {  # the folders a layer may include from
  case $1 in
    core) echo "core" ;;
    fontgen) echo "core fontgen" ;;
    state) echo "core fontgen state" ;;
    app) echo "core fontgen state app" ;;
    ui) echo "core fontgen state app ui" ;;
    cli) echo "core fontgen state app cli" ;;
  esac
}
tests_allowed() {  # the headers of tests/ a layer's tests may include
  case $1 in
    core | fontgen) echo "font_test_support.h" ;;
    *) echo "font_test_support.h test_support.h" ;;
  esac
}
status=0
for layer in core fontgen state app ui cli tests/font_test_support.h; do
  case $layer in
    tests/*) files=$layer; allowed="core fontgen"; tests="" ;;
    *) files=$(ls "$layer"/*.h "$layer"/*.cpp "$layer"/*.inc 2>/dev/null); allowed=$(below "$layer"); tests=$(tests_allowed "$layer") ;;
  esac
  for file in $files; do
    for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
      folder=${included%%/*}
      name=${included#*/}
      ok=no
      [ "$folder" = "$included" ] && ok=yes  # a file of its own folder, named alone
      for a in $allowed; do [ "$folder" = "$a" ] && ok=yes; done
      if [ "$folder" = tests ]; then for t in $tests; do [ "$name" = "$t" ] && ok=yes; done; fi
      if [ "$ok" = no ]; then
        echo "layers: $file includes $included, which is above or beside its layer"
        status=1
      fi
    done
  done
done
[ "$status" = 0 ] && echo "layers: every include runs down the layers"
exit "$status"
