#!/usr/bin/env bash
# usage: check-help-and-man.sh PROGRAM MANPAGE VERSION
# PROGRAM answers --help and --version without a display, its version is
# VERSION, and every option and command its --help names is in MANPAGE
# (roff source, or gzip-compressed), so the two cannot drift apart. A
# program with commands answers "COMMAND --help" too, and the options that
# names are in MANPAGE as well.
set -euo pipefail
program=$1 man=$2 version=$3
name=$(basename "$program")
fail=0

run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }

help=$(run --help) || { echo "$name --help failed" >&2; exit 1; }
said=$(run --version) || { echo "$name --version failed" >&2; exit 1; }
if [ "$said" != "$name $version" ]; then
    echo "$name --version says '$said', expected '$name $version'" >&2
    fail=1
fi

# The page's words as a reader sees them: roff's \- is a hyphen, fonts go.
case $man in
    *.gz) source_text=$(zcat "$man") ;;
    *) source_text=$(cat "$man") ;;
esac
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' <<<"$source_text")

# Options: a word that starts with one or two hyphens after a non-word character.
options_in() {
    grep -oE '(^|[^[:alnum:]-])--?[[:alpha:]][[:alnum:]-]*' <<<"$1" | sed -E 's/^[^-]//'
}
# Commands: the first word of each line in a "Commands:" block.
commands=$(awk '/^Commands:/ {inside = 1; next} /^$/ {inside = 0} inside && /^  [a-z]/ {print $1}' \
    <<<"$help")
options=$(options_in "$help")
[ -n "$options" ] || { echo "$name --help names no option" >&2; exit 1; }
for command in $commands; do
    if ! command_help=$(run "$command" --help); then
        echo "$name $command --help failed" >&2
        fail=1
        continue
    fi
    options+=$'\n'$(options_in "$command_help")
done
options=$(sort -u <<<"$options")

for word in $options $commands; do
    if ! grep -qE -- "(^|[^[:alnum:]-])${word}([^[:alnum:]-]|$)" <<<"$text"; then
        echo "$name: '$word' is in --help but not in $(basename "$man")" >&2
        fail=1
    fi
done
exit $fail
