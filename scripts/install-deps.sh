#!/usr/bin/env bash
# Installs the Debian packages the build, the viewer and the tests need,
# only those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  freeglut3-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libdevil-dev libxml2-dev libexif-dev libexiv2-dev libjpeg-dev libpng-dev libvips-dev libvips-tools libheif-dev libraw-dev libtiff-dev libsimde-dev libseccomp-dev
  libcairo2-dev fonts-dejavu-core
  libgtest-dev
  clang-14 libclang-rt-14-dev
  xvfb xauth xdotool x11-apps imagemagick libx11-dev libpng-dev libglib2.0-dev dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
