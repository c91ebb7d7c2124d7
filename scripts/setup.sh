#!/usr/bin/env bash
# Installs everything the project needs on Debian 12: the Debian packages
# (skipped when all are present) and the npm packages of package-lock.json.
# Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-tools-dev qt6-webengine-dev qt6-webchannel-dev libqt6uitools6 libqt6svg6 qt6-svg-dev libgl-dev
  libmpv-dev mpv ffmpeg libsimpleini-dev
  libavformat-dev libavcodec-dev libavutil-dev libsqlite3-dev libxml2-utils libssl-dev openssl
  libgtest-dev libgmock-dev libbenchmark-dev libimage-exiftool-perl poppler-utils
  clang libclang-rt-14-dev
  xvfb xauth imagemagick x11-utils desktop-file-utils
  help2man appstream dpkg-dev
  nodejs npm
)

missing=()
for p in "${PACKAGES[@]}"; do
  # npm ships inside the nodejs package on some machines.
  if [ "$p" = npm ] && command -v npm >/dev/null 2>&1; then continue; fi
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing Debian packages: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [ ! -d node_modules/leaflet ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund
fi
