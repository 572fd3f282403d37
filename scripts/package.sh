#!/usr/bin/env bash
# Builds the Windows programs and packs them with the Japanese guide into
# build-mingw/equidist-VERSION-win64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --workflow --preset win64-package
