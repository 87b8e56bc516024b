#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine,
# skipping what is already there: compilers, CMake, Ninja, GoogleTest,
# the mingw-w64 i686 cross compiler and Wine able to run 32-bit programs,
# clang with its fuzzer runtime, Google Benchmark, and a virtual X server
# with a key presser for the Escape key test of the Windows build.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != "0" ]; then SUDO="sudo"; fi

missing=()
need() {  # need PACKAGE: queue it when dpkg does not list it as installed
  if ! dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$1")
  fi
}

for pkg in g++ cmake ninja-build libgtest-dev googletest g++-mingw-w64-i686 \
           clang libclang-rt-14-dev libbenchmark-dev wine wine32:i386 python3 locales \
           xvfb xdotool; do
  need "$pkg"
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
else
  echo "setup: everything is installed"
fi

# A locale whose decimal separator is the comma, so the test that number
# parsing ignores the locale really runs.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
fi

# The Japanese locale: under Wine, LANG=ja_JP.UTF-8 gives the ANSI code page
# 932 of a Japanese Windows, which the folder tests run under.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 || true
fi

# Wine's first start creates its prefix; do it once here, quietly.
if [ ! -d "${WINEPREFIX:-$HOME/.wine}" ]; then
  WINEDEBUG=-all wineboot -i >/dev/null 2>&1 || true
fi
