#!/usr/bin/env bash
# Builds and runs every test as an ordinary user in the dialout group, as the
# tool's users run it: root passes exclusive opens and file permissions that a
# user does not. Run as root; creates the user (default veld-ci) when absent,
# tests the committed HEAD in a fresh clone that the user owns, and removes the
# clone afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
user="${1:-veld-ci}"

if [ "$(id -u)" -ne 0 ]; then
    echo "Run as root: it creates the user and hands it a checkout." >&2
    exit 2
fi
scripts/install-deps.sh

if ! id "$user" >/dev/null 2>&1; then
    useradd --create-home --shell /bin/bash --groups dialout "$user"
elif [ "$(id -u "$user")" -eq 0 ]; then
    echo "$user is root; the point is to test as someone who is not." >&2
    exit 2
elif ! id -nG "$user" | tr ' ' '\n' | grep -qx dialout; then
    usermod --append --groups dialout "$user"
fi
home=$(getent passwd "$user" | cut -d: -f6)

work=$(mktemp -d /tmp/veld-user-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
# No hard links: the chown must not reach the objects of this repository.
git clone --quiet --no-hardlinks . "$work/src"
echo "Testing $(git -C "$work/src" log -1 --format='%h %s') as $user ($(id "$user"))"
chown -R "$user:" "$work"

# A clean environment, as a login gives: nothing of root's (XDG_RUNTIME_DIR,
# TMPDIR, ...) leaks into the user's run.
as_user() {
    (cd "$work/src" && runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" \
        SHELL=/bin/bash PATH="$PATH" LANG="${LANG:-C.UTF-8}" "$@")
}
as_user cmake --preset default
as_user cmake --build --preset default
as_user ctest --preset default
