#!/usr/bin/env bash
# Builds the programs and runs the main job on the shipped program folder
# (build/program). With a display, Drilling opens on it. Without one, the
# command line runs the road of 【ＮＣデータ作成】 on the sample job and shows the
# NC program it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRILLING_TESTS=OFF -DDRILLING_BENCH=OFF >/dev/null
ninja -C build -j"$(nproc)"
program="$PWD/build/program"
echo "Program folder: $program"
if [ -n "${DISPLAY:-}" ]; then
  exec "$program/Drilling"
fi
nc=$("$program/drillnc" --yes nc SAMPLE-PLATE --no-sim | tail -n 1)
echo "NC program: $nc"
iconv -f CP932 -t UTF-8 "$nc" | tr -d '\r'
