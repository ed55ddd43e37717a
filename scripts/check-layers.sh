#!/usr/bin/env bash
# Fails on an include that runs upward across the program's layers, on Qt in
# the core or the companion programs, and on classes that include each other
# in a circle. The layers, from the bottom:
#   core:  serial/, params/  <  protocol/  <  journal/  <  session/   (no Qt)
#   GUI:   grid/, form/  <  toolbox/  <  app/            (grid/ and form/ are one layer)
#   tools/ use the core only.
set -euo pipefail
cd "$(dirname "$0")/.."

core_below() {
    case "$1" in
        serial) echo "serial" ;;
        params) echo "params" ;;
        protocol) echo "serial params protocol" ;;
        journal) echo "serial params protocol journal" ;;
        session) echo "serial params protocol journal session" ;;
    esac
}

# The folders a file in folder $1 may include from.
allowed() {
    local core="serial params protocol journal session"
    case "$1" in
        serial | params | protocol | journal | session) core_below "$1" ;;
        grid | form) echo "$core grid form" ;;
        toolbox) echo "$core grid form toolbox" ;;
        app) echo "$core grid form toolbox app" ;;
        tools) echo "$core common" ;;
    esac
}

failures=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

for folder in serial params protocol journal session grid form toolbox app tools; do
    [ -d "$folder" ] || continue
    ok=" $(allowed "$folder") "
    while IFS= read -r file; do
        unit="${file%.*}"
        while IFS= read -r include; do
            if [[ "$include" =~ ^\<Q ]]; then
                case "$folder" in
                    serial | params | protocol | journal | session | tools)
                        echo "$file: Qt in the core or a companion program: $include"
                        failures=$((failures + 1))
                        ;;
                esac
                continue
            fi
            [[ "$include" =~ ^\"(.*)\"$ ]] || continue
            path="${BASH_REMATCH[1]}"
            if [[ "$path" == */* ]]; then
                top="${path%%/*}"
                [ -d "$top" ] || [ "$top" = common ] || continue  # generated or a library's
                if [[ "$ok" != *" $top "* ]]; then
                    echo "$file: includes upward or across: $path"
                    failures=$((failures + 1))
                fi
                [ "$top" = common ] && path="tools/$path"
                target="${path%.*}"
            else
                target="$(dirname "$file")/${path%.*}"  # beside the file (veld-para's own)
            fi
            [ "$target" != "$unit" ] && echo "$unit $target" >>"$edges"
        done < <(grep -hoE '^#include [<"][^">]+[">]' "$file" | sed -E 's/^#include //')
    done < <(find "$folder" -name '*.cpp' -o -name '*.h' | sort)
done

if ! tsort "$edges" >/dev/null 2>"$edges.loop"; then
    echo "classes that include each other in a circle:"
    grep -v 'input contains a loop' "$edges.loop" | sed 's/^tsort: /  /'
    failures=$((failures + 1))
fi
rm -f "$edges.loop"

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures finding(s)" >&2
    exit 1
fi
echo "check-layers: every include runs downward, no circle"
