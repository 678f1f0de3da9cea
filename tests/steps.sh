# What the shell tests of the firmware side share: the program's full path, a folder of their
# own, gone when they end, and the failures counted, with the steps that must succeed.
#   . tests/steps.sh NAME SORVANE_CLI     (NAME heads each failure)
test_name=$1
cli=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
failures=0
fail() {
  echo "$test_name: $*" >&2
  failures=$((failures + 1))
}
# Runs a step, its words kept in step.txt; a failure is named with the start of them, and
# returns 1.
must() {
  "$@" >step.txt 2>&1 && return 0
  fail "$* failed: $(head -8 step.txt)"
  return 1
}
