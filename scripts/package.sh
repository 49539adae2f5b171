#!/usr/bin/env bash
# Builds the Debian package of the plain build: dist/hvc-configurator_VERSION_ARCH.deb
# Install it with: sudo apt install ./dist/hvc-configurator_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
(cd build && cpack -G DEB -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
ls dist/*.deb
