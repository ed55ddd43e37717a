#!/usr/bin/env bash
# Builds the Debian package and checks it as a Debian machine will meet it:
# lintian finds no error; the desktop entry and the AppStream metadata
# validate; unpacked into a scratch root, the three programs answer --version
# and --help as their man pages say, the GUI starts offscreen and is closed;
# every man page renders without a warning; the shell completion completes.
# As root, and with the package not installed, it is also installed and
# purged, and nothing of it may stay behind.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh lintian desktop-file-utils appstream man-db bash-completion \
    fonts-nanum qt6-translations-l10n

scripts/package.sh
deb=$(ls build/package/veld-host-para_*.deb)
version=$(dpkg-deb --field "$deb" Version)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
failures=0

step() { printf '\n== %s\n' "$*"; }
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

step "lintian (errors fail; warnings and notes are listed)"
lintian_code=0
lintian_out=$(lintian --fail-on error --display-info "$deb" 2>&1) || lintian_code=$?
grep -v '^running with root privileges' <<<"$lintian_out" || echo "(nothing to report)"
[ "$lintian_code" -eq 0 ] || fail "lintian reports errors"

dpkg -x "$deb" "$root"

step "desktop entry and AppStream metadata"
desktop-file-validate "$root"/usr/share/applications/VELD_Host_Para.desktop || fail "desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "metainfo"
appstreamcli validate-tree --no-net "$root" >/dev/null || fail "AppStream tree"

step "--version, --help and the man pages"
for program in VELD_Host_Para veld-para veld-drive-sim; do
    tests/packaging/check-help-and-man.sh "$root/usr/bin/$program" \
        "$root/usr/share/man/man1/$program.1.gz" "$version" || fail "$program --help or --version"
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l "$root/usr/share/man/man1/$program.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page of $program: $warnings"
    echo "$program: $("$root/usr/bin/$program" --version)"
done

step "the GUI, started offscreen and closed"
# Started when the form has started its dispatcher thread; closed by TERM after
# a few seconds (timeout's 124 says it was still running then).
mkdir -m 700 "$scratch/home" "$scratch/runtime"
env -i PATH=/usr/bin:/bin HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
    QT_QPA_PLATFORM=offscreen timeout --signal=TERM 5 "$root/usr/bin/VELD_Host_Para" \
    2>"$scratch/gui.err" &
watcher=$!
started=no
for _ in $(seq 40); do
    gui=$(pgrep -P "$watcher" || true)
    if [ -n "$gui" ] && grep -qx veld-dispatch /proc/"$gui"/task/*/comm 2>/dev/null; then
        started=yes
        break
    fi
    sleep 0.1
done
code=0
wait "$watcher" || code=$?
# The offscreen platform's own notice is no fault of the program.
grep -v 'does not support propagateSizeHints' "$scratch/gui.err" >&2 || true
[ "$started" = yes ] || fail "the GUI did not start its form"
[ "$code" -eq 124 ] || fail "the GUI ended by itself with $code before it was closed"
echo "started: $started, closed: exit $code"

step "bash completion"
completes() {
    bash -c 'source /usr/share/bash-completion/bash_completion
        source "$1"; shift
        compopt() { :; }
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        complete_function=$(complete -p "$1" | sed "s/.*-F \([^ ]*\) .*/\1/")
        "$complete_function" "$1" "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
        printf "%s\n" "${COMPREPLY[@]}"' _ "$@"
}
completions=$root/usr/share/bash-completion/completions
for case in "veld-para|verify|veld-para -q " "veld-para|COM15|veld-para -p " \
    "veld-para|--port-map|veld-para --p" "veld-para|3|veld-para setup " \
    "veld-para|rfc2217://|veld-para -p rf" "veld-drive-sim|--listen|veld-drive-sim --li" \
    "veld-drive-sim|--reply-delay|veld-drive-sim --" "veld-drive-sim|35|veld-drive-sim --id 3"; do
    IFS='|' read -r file expected line <<<"$case"
    read -ra words <<<"$line"
    [[ $line == *' ' ]] && words+=("")
    offered=$(completes "$completions/$file" "${words[@]}")
    if grep -qx -- "$expected" <<<"$offered"; then
        echo "'$line' completes to $expected"
    else
        fail "'$line' does not complete to $expected"
    fi
done

step "install and purge"
status=$(dpkg-query -W -f='${Status}' veld-host-para 2>/dev/null || true)
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: needs root"
elif [[ $status == *" installed" ]]; then
    echo "skipped: veld-host-para is installed on this machine; left as it is"
else
    paths=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\.||; s|/$||' |
        grep -E '^/usr/(bin|share/(doc|metainfo|applications|man/man1|bash-completion/completions|icons/hicolor/[^/]+/apps))/.')
    dpkg -i "$deb" >/dev/null
    VELD_Host_Para --version && man -w veld-para >/dev/null || fail "the installed programs"
    dpkg -P veld-host-para >/dev/null
    left=$(for path in $paths; do [ -e "$path" ] || [ -L "$path" ] && echo "$path"; done || true)
    left+=$(ls /var/lib/dpkg/info/veld-host-para.* 2>/dev/null || true)
    if [ -n "$left" ]; then
        fail "left behind after purge: $left"
    else
        echo "installed and purged; nothing left behind"
    fi
fi

step "result"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "every check passed: $deb ($(stat -c %s "$deb") bytes)"
