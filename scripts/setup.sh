#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the programs need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6svg6
  libgl-dev
  nlohmann-json3-dev
  libxlsxwriter-dev
  sqlite3 libsqlite3-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth imagemagick poppler-utils unzip
  libgtest-dev libbenchmark-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
