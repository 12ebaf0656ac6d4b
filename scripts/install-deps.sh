#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and fuzz. Does nothing when
# every package is already installed.
#   scripts/install-deps.sh
set -euo pipefail

packages=(
    cmake
    ninja-build
    g++
    qt6-base-dev
    qt6-serialport-dev      # QSerialPort; Debian has no separate libqt6serialport6-dev
    clang
    libclang-rt-14-dev
    fonts-dejavu-core       # text in the offscreen widget tests and screenshots
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    if [ "$status" != "installed" ]; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends \
    "${missing[@]}"
