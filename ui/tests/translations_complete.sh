#!/usr/bin/env bash
# Every text the program shows has a finished translation: lupdate brings a
# copy of the .ts up to date with the sources, and nothing in it may be left
# unfinished (a new or changed text). Texts no longer used do not count.
# Usage: translations_complete.sh <lupdate> <file.ts> <source>...
set -euo pipefail
lupdate=$1
ts=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
copy="$work/${ts##*/}"
cp -- "$ts" "$copy"
"$lupdate" -silent -locations none "$@" -ts "$copy"
if grep -B2 'type="unfinished"' "$copy"; then
    echo "${ts##*/}: the texts above need a translation (cmake --build <build> --target qv_lupdate)" >&2
    exit 1
fi
