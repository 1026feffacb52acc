#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the packaging and the README's commands
# use, if any is missing. Recommended packages are never installed (--no-install-recommends),
# so every package is named here, including those another package only recommends.
set -euo pipefail
# The demo: the build, the Debian package (dpkg-dev, file), and the README's commands
# (vmstat from procps; sudo for its install command).
demo=(
  build-essential dpkg-dev file cmake ninja-build pkg-config
  libfreetype-dev libfontconfig-dev fonts-liberation libpng-dev libjpeg62-turbo-dev libx11-dev libxtst-dev
  procps sudo
)
# The tests: GoogleTest and Google Benchmark, a private X server, locales compiled by the
# tests, clang with libFuzzer, debootstrap for the package's check in a fresh root; the
# Windows build (MinGW-w64, Wine's widl, icoutils' wrestool) and its checks under wine64 with
# the X libraries Wine's X11 driver loads at run time; the DejaVu faces the Windows form
# scenario sets, so Wine draws them and does not put another face in their place.
tests=(
  xvfb xauth locales
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-14 libclang-rt-14-dev
  mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  mingw-w64-tools libwine-dev wine64-tools icoutils
  wine64 libwine fonts-wine fonts-dejavu-core
  debootstrap
  libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
)
packages=("${demo[@]}")
if [ "${KAVRIN_MINIMAL_DEPS:-0}" != 1 ]; then
  packages+=("${tests[@]}")
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Install as root: apt-get install ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
