#!/usr/bin/env bash
# usage: check-makefiles-build.sh SOURCE_DIR
# The files the build makes beside the programs (icons, man pages, changelog)
# come out with the default generator, Unix Makefiles, too: unlike Ninja it
# does not make a rule's output folder, so a rule that forgets it fails there.
set -euo pipefail
source_dir=$1
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
cmake -S "$source_dir" -B "$build" -G "Unix Makefiles" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --target veld_packaging_files
