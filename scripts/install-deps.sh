#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# usage: install-deps.sh [PACKAGE]...  (more packages a script needs besides)
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    nlohmann-json3-dev libcli11-dev
    # The SHA-256 of a commissioning report's target file (libcrypto).
    libssl-dev
    # The journal; the sqlite3 shell for the tests that change a journal by hand.
    libsqlite3-dev sqlite3
    clang libclang-rt-14-dev
    qt6-base-dev qt6-translations-l10n qt6-charts-dev libgl-dev fonts-nanum
    # The Korean font looked up before the application object exists.
    libfontconfig-dev
    # Qt Charts' CMake package wants Qt6OpenGL, which its Debian package does not pull in.
    libqt6opengl6-dev
    nlohmann-json3-dev
    # The Telnet layer of rfc2217:// ports; ser2net for the tests against a real server.
    libtelnet-dev ser2net
    xvfb xauth
    librsvg2-bin
    # The printable reports printed to PDF by a real browser, and their text read back.
    chromium poppler-utils
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
