#!/usr/bin/env bash
# Sets up and builds (scripts/setup.sh), then runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j2
# The Debian package: built, unpacked and started from a scratch home.
bash scripts/package-check.sh build
