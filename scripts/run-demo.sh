#!/usr/bin/env bash
# Builds the editor and its plug-ins and opens it on a demo effect with the
# demo game directory. Its settings live in build/demo/config, so a user's own
# settings are never touched. Without a display it runs under Xvfb for a few
# seconds and saves a screenshot instead.
#   scripts/run-demo.sh [effect.nbs]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target embEd embTarnParticleMan gxOpenGL demo_data

effect=${1:-$root/build/demo/effects/fountain.nbs}
game=$root/build/demo/game
config=$root/build/demo/config
conf="$config/Brindle Works/EmbEd.conf"
if [ ! -f "$conf" ]; then
  # Seeded so that no first-run question stops the demo: the demo game
  # directory, and the OpenGL renderer already chosen. New particles get the
  # demo's smoke sprite rather than plain squares.
  mkdir -p "$(dirname "$conf")"
  printf '[Settings]\nGameDir=%s\nCurrentRenderer=1\nDefaultSpr=%s\n' "$game" "$game/sprites/smoke.spr" > "$conf"
fi
export XDG_CONFIG_HOME=$config

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting embEd on $effect (settings in $conf)"
  exec "$root/build/bin/embEd" "$effect"
fi

shot=$root/build/demo/screenshot.png
echo "No display (DISPLAY is not set): running embEd under Xvfb for a few seconds"
echo "and saving a screenshot to $shot."
echo "To work with the editor itself, run this script from a desktop session."
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -c '
  "$1" "$2" & pid=$!
  sleep 6
  import -window root "$3"
  kill "$pid"; wait "$pid" 2>/dev/null || true
' _ "$root/build/bin/embEd" "$effect" "$shot"
echo "Screenshot saved: $shot"
