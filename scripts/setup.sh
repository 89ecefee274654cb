#!/usr/bin/env bash
# Installs, with apt, whatever the builds and tests need and this machine lacks.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3
  g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb x11-utils
  libxcursor1 libxfixes3  # Wine's colour cursors, and reading them back in the tests
  zlib1g-dev libgtest-dev libbenchmark-dev
  libpng-dev libgif-dev
  clang libclang-rt-14-dev
  fonts-ipafont-gothic
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
