# Sourced by the package tests: their reports, the release, and the package built anew.
# Needs top and work set.
status=0
ok() { echo "ok    $*"; }
fail() { echo "FAIL  $*"; status=1; }

version=$(sed -n 's/^project(Sorvane VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")

# Builds the package target of a build folder; the package file must come of it.
build_package() {  # BUILD PACKAGE_FILE
  rm -f "$2"
  cmake --build "$1" --target package >"$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
  [ -f "$2" ] || { echo "FAIL  no $2"; exit 1; }
}

# The first fenced block of a language after the line of the README that holds a text, as
# it stands there, without the indentation of a list item.
readme_block() {  # TEXT LANGUAGE
  awk -v text="$1" -v open="$2" '
    index($0, text) { found = 1 }
    found && !inside { line = $0; sub(/^ */, "", line); if (line == "```" open) { inside = 1; next } }
    inside { line = $0; sub(/^ */, "", line); if (line == "```") exit; sub(/^  /, ""); print }' "$top/README.md"
}
