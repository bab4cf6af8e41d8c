#!/usr/bin/env bash
# Installs the system packages, builds everything and runs every test.
# GUI tests need a display: the tests run under a virtual X server.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/install-deps.sh"
bash "$top/tools/build.sh" "$top/build"
xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --test-dir "$top/build" --output-on-failure -j "$(nproc)"
