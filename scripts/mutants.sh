#!/usr/bin/env bash
# Applies the mutants of scripts/mutants.list one at a time to a clean copy of
# the committed tree, builds, runs the whole CTest suite and prints which
# mutants survived (the suite still passed). Exit 0 when every mutant is killed.
#
#   scripts/mutants.sh [--rev REV] [NAME...]
#
# --rev REV tests the suite of an earlier commit (the list stays this tree's),
# so a change of the tests can be checked against the same mutants before and
# after. NAME... limits the run to those mutants.
set -euo pipefail
cd "$(dirname "$0")/.."

rev=HEAD
if [ "${1:-}" = "--rev" ]; then
    rev=$2
    shift 2
fi
only=("$@")
list=$PWD/scripts/mutants.list

scripts/install-deps.sh
mkdir -p build
work=$(mktemp -d "$PWD/build/mutants.XXXXXX")
trap 'rm -rf "$work"' EXIT
git clone --quiet --no-hardlinks . "$work/src"
git -C "$work/src" checkout --quiet "$(git rev-parse "$rev")"
cd "$work/src"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset default -DVELD_BUILD_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
build() { cmake --build --preset default >"$work/build.log" 2>&1; }
suite() { ctest --preset default --stop-on-failure --timeout 180 >"$work/test.log" 2>&1; }

echo "== $(git log --oneline -1) without a mutant"
build || { cat "$work/build.log"; exit 2; }
suite || { echo "the suite fails without a mutant:"; tail -30 "$work/test.log"; exit 2; }

# One block of the list: name, file, from, to.
apply() {
    perl -0pi -e 'BEGIN { $from = shift; $to = shift }
        my $n = () = /\Q$from\E/g;
        die "found $n times\n" unless $n == 1;
        s/\Q$from\E/$to/;' "$3" "$4" "$2"
}

killed=0
survived=()
broken=()
run() {
    local name=$1 file=$2 from=$3 to=$4
    if [ ${#only[@]} -gt 0 ] && [[ ! " ${only[*]} " == *" $name "* ]]; then return; fi
    local start=$SECONDS result
    if ! apply "$name" "$file" "$from" "$to" 2>"$work/apply.log"; then
        result="not applied ($(cat "$work/apply.log"))"
        broken+=("$name")
    elif ! build; then
        result="does not build"
        broken+=("$name")
    elif suite; then
        result="SURVIVED"
        survived+=("$name")
    else
        result="killed by $(sed -n '/tests FAILED:/,$p' "$work/test.log" | grep -m1 -oE '[0-9]+ - [^ ]+' || echo '?')"
        killed=$((killed + 1))
    fi
    git checkout --quiet -- "$file"
    printf '%-44s %s (%ds)\n' "$name" "$result" $((SECONDS - start))
}

name='' file='' from=''
while IFS= read -r line; do
    case "$line" in
        name:*) name=${line#name: } ;;
        file:*) file=${line#file: } ;;
        from:*) from=${line#from: } ;;
        to:*)
            to=${line#to:}
            to=${to#"${to%%[! ]*}"}
            run "$name" "$file" "$from" "$to"
            ;;
    esac
done <"$list"

echo "== killed $killed, survived ${#survived[@]}, not applicable ${#broken[@]}"
for name in "${survived[@]}"; do echo "survived: $name"; done
for name in "${broken[@]}"; do echo "not applicable: $name"; done
[ ${#survived[@]} -eq 0 ] && [ ${#broken[@]} -eq 0 ]
