#!/usr/bin/env bash
# A program's manual page names every long option that the program's --help lists, and no
# other, and formats without a warning.
#
#     man-page-test.sh PROGRAM PAGE
set -euo pipefail

program=$1
page=$2
name=$(basename "$program")
status=0

help_options=$("$program" --help 2>&1 | grep -oE -- '--[a-z][a-z-]*' | sort -u)
# In roff a minus sign is written \-.
page_options=$(grep -oE -- '\\-\\-[a-z]([a-z]|\\-)*' "$page" | sed 's/\\-/-/g' | sort -u)

missing=$(comm -23 <(echo "$help_options") <(echo "$page_options"))
extra=$(comm -13 <(echo "$help_options") <(echo "$page_options"))
if [ -n "$missing" ]; then
    echo "FAIL: $name --help lists options that $page does not describe:" $missing >&2
    status=1
fi
if [ -n "$extra" ]; then
    echo "FAIL: $page describes options that $name --help does not list:" $extra >&2
    status=1
fi

grep -q "^\.TH \"\?${name^^}\"\? 1 " "$page" || {
    echo "FAIL: $page has no .TH line for ${name^^} in section 1" >&2
    status=1
}

warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 "$page" 2>&1 || true)
if [ -n "$warnings" ]; then
    echo "FAIL: $page formats with warnings:" >&2
    echo "$warnings" >&2
    status=1
fi

[ "$status" -eq 0 ] && echo "$page describes the $(echo "$help_options" | wc -l) options of $name"
exit "$status"
