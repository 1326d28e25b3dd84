#!/usr/bin/env bash
# The installed-style command line of sparkwright-render, without a display:
# each output kind, the help, and the messages for a missing manager, a
# rejected script, a missing game directory and a missing sprite.
#   render_cli_test.sh <sparkwright-render> <effects folder> <demo game folder>
set -uo pipefail
render=$1 effects=$2 game=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_in() { grep -qF -- "$2" "$1" || fail "$3: expected \"$2\" in: $(cat "$1")"; }

"$render" --help > "$work/help" || fail "--help exit status"
for word in --game --additional --size --frames --step --seed --frame-effect --no-ground --background .gif .spr %04d; do
  expect_in "$work/help" "$word" "--help"
done

# Frames, sheet, GIF and sprite, small and short.
"$render" "$effects/fire.nbs" --game "$game" --size 64x48 --frames 3 -o "$work/f%03d.png" 2> "$work/err" || fail "frames: $(cat "$work/err")"
for n in 001 002 003; do [ -s "$work/f$n.png" ] || fail "frame $n missing"; done
[ -e "$work/f004.png" ] && fail "a fourth frame was written"
"$render" "$effects/fire.nbs" --game "$game" --size 64x48 --frames 5 -o "$work/sheet.png" || fail "sheet"
head -c 24 "$work/sheet.png" | od -An -tu1 | tr -s ' ' | grep -q "0 0 0 192 0 0 0 96" || fail "sheet is not 192x96 (3x2 cells)"
"$render" "$effects/sparks.nbs" --game "$game" --size 64x64 --frames 4 -o "$work/a.gif" || fail "gif"
[ "$(head -c 6 "$work/a.gif")" = "GIF89a" ] || fail "gif header"
"$render" "$effects/fire.nbs" --game "$game" --size 32x32 --frames 4 -o "$work/a.spr" || fail "sprite"
[ "$(head -c 4 "$work/a.spr")" = "$(head -c 4 "$game/sprites/smoke.spr")" ] || fail "sprite header"

# The baked sprite draws in place of a demo sprite: the renderer loads it without a message.
mkdir -p "$work/game/sprites"
"$render" "$effects/sparks.nbs" --game "$game" --size 48x48 --frames 8 -o "$work/game/sprites/smoke.spr" || fail "bake"
"$render" "$effects/smoke_column.nbs" --game "$work/game" --size 64x64 --frames 20 -o "$work/baked.gif" 2> "$work/err" || fail "render with the baked sprite"
[ -s "$work/err" ] && fail "the baked sprite was refused: $(cat "$work/err")"

# Same settings, same bytes; the frames of two runs are identical.
"$render" "$effects/snow.nbs" --game "$game" --size 64x64 --frames 10 --seed 3 -o "$work/s1.png" || fail "repeat 1"
"$render" "$effects/snow.nbs" --game "$game" --size 64x64 --frames 10 --seed 3 -o "$work/s2.png" || fail "repeat 2"
cmp -s "$work/s1.png" "$work/s2.png" || fail "two runs differ"

# A missing game directory and missing sprites: reported, rendered anyway.
"$render" "$effects/fire.nbs" --game "$work/no-such-game" --size 32x32 --frames 2 -o "$work/m.gif" 2> "$work/err" || fail "missing game dir should still render"
expect_in "$work/err" "Game directory not found: $work/no-such-game" "missing game dir"
expect_in "$work/err" "fire.spr" "missing sprite message of the renderer"
[ -s "$work/m.gif" ] || fail "missing game dir: no output"

# Refusals: exit status 1 or 2 and a message naming the problem, no output.
# The manager reads any text leniently; a folder is what it refuses to read.
mkdir "$work/bad.nbs"
"$render" "$work/bad.nbs" -o "$work/bad.gif" 2> "$work/err" && fail "rejected script accepted"
expect_in "$work/err" "rejected the script" "rejected script"
[ -e "$work/bad.gif" ] && fail "rejected script wrote output"
"$render" "$work/none.nbs" -o "$work/x.gif" 2> "$work/err" && fail "missing script accepted"
expect_in "$work/err" "Script not found" "missing script"
"$render" "$effects/fire.nbs" -o "$work/x.bmp" 2> "$work/err" && fail ".bmp accepted"
expect_in "$work/err" "must end in" "unknown output kind"
mkdir "$work/alone"
cp "$render" "$work/alone/"
"$work/alone/$(basename "$render")" "$effects/fire.nbs" -o "$work/x.gif" 2> "$work/err" && fail "ran without its manager"
expect_in "$work/err" "embTarnParticleMan.so is missing" "missing manager"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all command-line checks passed"
