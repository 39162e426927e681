#!/usr/bin/env bash
# Installs the Debian packages Korvani needs to build, run and test. Fast when they are all there.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev
  fonts-liberation2 xvfb xauth
  # Emoji in colour: without it the rows draw emoji in black outline from DejaVu, or as boxes.
  fonts-noto-color-emoji
  # Notification and tray tests: a private session bus (the tray test runs on an Xvfb display).
  dbus-daemon
  # Screen reader test: the desktop's accessibility bus and a reader of it.
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi
  # Packaging test: builds the Debian packages (dpkg-shlibdeps) and checks the desktop file and
  # the AppStream metainfo.
  dpkg-dev desktop-file-utils appstream
  # ... and checks the packages against Debian's policy.
  lintian
  # TLS tests make their certificates with the openssl program.
  openssl
  # Print tests: read the text of the printed PDF (pdftotext), to find every row in order.
  poppler-utils
  # A room shared by several servers: the cluster module builds on the NATS C client, and its
  # tests and benchmark start real NATS servers.
  libnats-dev nats-server
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
