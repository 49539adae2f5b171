#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent and quiet when everything is already there.
set -euo pipefail
packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-dev clang-format clang-tidy
    xvfb xauth imagemagick
    poppler-utils help2man dpkg-dev appstream
    python3 gcovr
    libqt6sql6-sqlite libqt6sql6-psql postgresql
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}" >&2
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
