#!/usr/bin/env bash
# Makes the .deb with cpack, unpacks it into a scratch root with dpkg-deb -x and
# runs what it installed from there: sparkwright-render renders a demo effect
# (without a display), the tools answer, and the editor opens a demo effect
# under the X server of the test run.
#   package_test.sh <build folder> <effects folder> <demo game folder>
set -uo pipefail
build=$1 effects=$2 game=$3
work=$(mktemp -d)
editor_pid=
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$work/out" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/sparkwright_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "FAIL: no .deb made"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libegl1 libpng16-16 libgl1-mesa-dri libegl-mesa0; do
  [[ "$depends" == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
for f in usr/bin/embEd usr/bin/sparkwright-render usr/bin/nbsprint usr/bin/nbscheck usr/bin/sprmake usr/bin/paktool \
         usr/lib/sparkwright/embTarnParticleMan.so usr/lib/sparkwright/gxOpenGL.so \
         usr/lib/sparkwright/Sparkwright.htm usr/share/applications/sparkwright.desktop \
         usr/share/icons/hicolor/64x64/apps/sparkwright.png usr/share/mime/packages/sparkwright.xml; do
  [ -e "$root/$f" ] || fail "$f is not in the package"
done
# Scripts open in the editor: the desktop entry claims the type the MIME file defines.
mime_type=$(sed -n 's/.*mime-type type="\([^"]*\)".*/\1/p' "$root/usr/share/mime/packages/sparkwright.xml")
grep -q '<glob pattern="\*.nbs"/>' "$root/usr/share/mime/packages/sparkwright.xml" || fail "no *.nbs glob"
grep -q "^MimeType=.*$mime_type;" "$root/usr/share/applications/sparkwright.desktop" || fail "desktop entry does not claim $mime_type"
if command -v update-mime-database > /dev/null; then
  cp -r "$root/usr/share/mime" "$work/mime"
  update-mime-database "$work/mime" > /dev/null 2>&1 || fail "update-mime-database refused the MIME file"
  grep -q "$mime_type" "$work/mime/globs2" || fail "the MIME database has no *.nbs glob"
fi

# The headless renderer and the tools, from the scratch root, without a display.
env -u DISPLAY "$root/usr/bin/sparkwright-render" "$effects/fire.nbs" --game "$game" -o "$work/fire.gif" 2> "$work/render.err" || fail "sparkwright-render: $(cat "$work/render.err")"
[ "$(head -c 6 "$work/fire.gif" 2>/dev/null)" = "GIF89a" ] || fail "no GIF rendered"
"$root/usr/bin/nbsprint" "$effects/fire.nbs" > "$work/fire.txt" 2>&1 || fail "nbsprint: $(cat "$work/fire.txt")"
grep -qi "fire" "$work/fire.txt" || fail "nbsprint printed no script"
"$root/usr/bin/nbscheck" "$effects/fire.nbs" > "$work/check.txt" 2>&1 || fail "nbscheck: $(cat "$work/check.txt")"
"$root/usr/bin/paktool" list "$game/pak0.pak" | grep -q "sprites/fire.spr" || fail "paktool list"

# The editor opens a demo effect: its window title names the file, and the
# renderer plug-in reports nothing.
if [ -n "${DISPLAY:-}" ] && command -v xwininfo > /dev/null; then
  mkdir -p "$work/config/Brindle Works"
  printf '[Settings]\nGameDir=%s\nCurrentRenderer=1\n' "$game" > "$work/config/Brindle Works/EmbEd.conf"
  XDG_CONFIG_HOME=$work/config SPARKWRIGHT_RENDERER_MESSAGES=$work/renderer.log \
    "$root/usr/bin/embEd" "$effects/fire.nbs" > "$work/editor.log" 2>&1 &
  editor_pid=$!
  opened=no
  for _ in $(seq 1 40); do
    if xwininfo -root -tree 2>/dev/null | grep -qF "fire.nbs]"; then
      opened=yes
      break
    fi
    kill -0 "$editor_pid" 2>/dev/null || break
    sleep 0.25
  done
  [ "$opened" = yes ] || fail "the installed editor did not open fire.nbs: $(cat "$work/editor.log")"
  [ -s "$work/renderer.log" ] && fail "renderer messages: $(cat "$work/renderer.log")"
  kill "$editor_pid" 2>/dev/null
  wait "$editor_pid" 2>/dev/null
  editor_pid=
else
  echo "No X display or xwininfo: the editor part is skipped"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "package checks passed: $(basename "$deb")"
