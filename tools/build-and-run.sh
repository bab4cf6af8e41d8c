#!/usr/bin/env bash
# Installs the system packages, builds everything and starts the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/install-deps.sh"
bash "$top/tools/build.sh" "$top/build"
if [ -x "$top/build/app/corvane" ]; then
  exec "$top/build/app/corvane" "$@"
fi
echo "Built the libraries and their tests in build/; the program itself is not part of this version yet."
