#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test of the project.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n==== %s\n' "$*"; }

step "system packages"
scripts/deps.sh

step "build and unit tests"
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j"$(nproc)"

step "all tests passed"
