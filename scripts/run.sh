#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Without a
# display it runs the default calculation headless instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/app/gui/tadmor-gui ]; then
  exec build/app/gui/tadmor-gui
fi
echo "No display: running the default calculation headless."
build/cli/tadmor run -o result.txt
echo "Results file: $(pwd)/result.txt"
