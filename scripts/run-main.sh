#!/usr/bin/env bash
# Builds the programs and runs the main job on the shipped program folder
# (build/program). With a display, Drilling opens on it; without one, the
# window is opened on a virtual screen, photographed and closed again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRILLING_TESTS=OFF -DDRILLING_BENCH=OFF >/dev/null
ninja -C build -j"$(nproc)"
program=build/program
echo "Program folder: $PWD/$program"
if [ -n "${DISPLAY:-}" ]; then
  exec "$program/Drilling"
fi
shot="$PWD/build/main-window.png"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$1/Drilling" & pid=$!
  sleep 4
  import -window root "$2" 2>/dev/null || true
  kill $pid 2>/dev/null; wait $pid 2>/dev/null || true' _ "$program" "$shot"
echo "Drilling ran on a virtual screen; its window: $shot"
