#!/usr/bin/env bash
# Installs the dependencies, builds, installs the program into the
# installation directory (default ~/.local/share/zorvalis, registered for the
# engine in ~/.config/Quenmoor/ZORVALIS/path) and starts it; arguments go to
# the program (--nosplash, --language greek|english).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
prefix=${TM_PREFIX:-$HOME/.local/share/zorvalis}
cmake -S . -B build/install -DCMAKE_BUILD_TYPE=Release -DTM_BUILD_TESTS=OFF -DTM_BUILD_BENCH=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build build/install -j "$(nproc 2>/dev/null || echo 2)"
cmake --install build/install
exec "$prefix/bin/zorvalis" "$@"
