#!/usr/bin/env bash
# Builds the Debian package veld-host-para_<version>_<arch>.deb from a clean
# configure in build/package (optimised, hardened as Debian builds its own
# packages, stripped; no tests, no benchmarks) and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev file

build=build/package
rm -rf "$build"
# Debian's own compiler and linker flags (hardening included) on top of the
# release build's.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DVELD_BUILD_TESTS=OFF -DVELD_BUILD_BENCHMARKS=OFF -DVELD_BUILD_FUZZERS=OFF
cmake --build "$build"
(cd "$build" && cpack -G DEB)

deb=$(ls "$build"/veld-host-para_*.deb)
echo "Package: $deb"
dpkg-deb --field "$deb" Version Depends Installed-Size
