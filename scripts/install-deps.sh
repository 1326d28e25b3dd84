#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing.
set -euo pipefail
packages=(cmake ninja-build g++ clang pkg-config
          qt6-base-dev qt6-base-dev-tools libgl-dev libglu1-mesa-dev libx11-dev libjpeg-dev
          libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xauth xfonts-base x11-apps libgl1-mesa-dri)
# The headless renderer: EGL without a window system (Mesa's surfaceless
# platform and software rasteriser) and PNG files.
packages+=(libegl-dev libegl-mesa0 libpng-dev)
# The Debian package and its test: dependencies read by dpkg-shlibdeps, the
# editor's window found with xwininfo, the MIME file checked.
packages+=(dpkg-dev file x11-utils shared-mime-info)
# The demo's screenshot when no display is available.
packages+=(imagemagick)
# Source of the decimal-comma locale that one inspector test builds for itself.
packages+=(locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
