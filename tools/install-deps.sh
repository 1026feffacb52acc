#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, if any is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libfreetype-dev libfontconfig-dev fonts-liberation
  libpng-dev libjpeg62-turbo-dev
  libx11-dev libxtst-dev xvfb xauth
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  mingw-w64 mingw-w64-tools libwine-dev wine64-tools icoutils wine64 fonts-wine locales
)
if [ "${KAVRIN_MINIMAL_DEPS:-0}" = 1 ]; then
  # The demo needs no test tools, cross compiler or Wine.
  packages=(build-essential cmake ninja-build pkg-config libfreetype-dev libfontconfig-dev
            fonts-liberation libpng-dev libjpeg62-turbo-dev libx11-dev libxtst-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
