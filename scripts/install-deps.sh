#!/bin/sh
# Installs the Debian packages a job needs, and nothing when they are already there.
#   scripts/install-deps.sh main   build, make fonts and packages: compiler, CMake, the X11
#                                  fonts, dpkg-dev and file for the Debian package
#   scripts/install-deps.sh test   everything the tests use as well: GoogleTest, the
#                                  Windows cross compiler and Wine, the firmware cross
#                                  compilers and their simulators (qemu, simavr), clang for
#                                  fuzzing and clang 16 for the C99 variant
set -eu

main_packages="cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libstb-dev xfonts-base libfreetype-dev zlib1g-dev dpkg-dev file"
test_packages="$main_packages
  g++-mingw-w64-x86-64 mingw-w64 libz-mingw-w64-dev wine wine64 xvfb xauth x11-utils
  fonts-ipafont-gothic xfonts-shinonome xfonts-efont-unicode xfonts-unifont pcf2bdf
  imagemagick locales bash-completion strace
  gcc-mipsel-linux-gnu libc6-dev-mipsel-cross qemu-user
  gcc-arm-none-eabi libnewlib-arm-none-eabi qemu-system-arm tcc sdcc sdcc-ucsim
  gcc-avr avr-libc simavr clang-16
  clang libclang-rt-14-dev"

case "${1:-}" in
  main) wanted=$main_packages ;;
  test) wanted=$test_packages ;;
  *) echo "usage: $0 main|test" >&2; exit 2 ;;
esac

missing=""
for p in $wanted; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $p"
done

if [ -n "$missing" ]; then
  echo "Installing:$missing"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi

# Wine takes its ANSI code page from the locale; the window's texts need code page 932.
if [ "${1}" = test ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
