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
