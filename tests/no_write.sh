#!/usr/bin/env bash
# Usage: no_write.sh MONITOR SIMSERVER [SECONDS]. The monitor, run on the simulated server
# under strace, must open no file for writing and create, rename, delete, truncate or
# change the mode, owner, times or attributes of none.
set -euo pipefail
work=$(mktemp -d) sim=
trap '[[ -z $sim ]] || { kill "$sim"; wait "$sim"; } 2>/dev/null || true; rm -rf "$work"' EXIT
"$2" --lines 0 "$work/prefix" >/dev/null
"$2" --rate 20 "$work/prefix" >/dev/null & sim=$!
mkdir -m 700 "$work/home"  # so that anything written to a home shows up too
# The prefix comes by the option, which must win over the environment's.
status=0
HOME="$work/home" XDG_RUNTIME_DIR="$work/home" WINEPREFIX="$work/elsewhere" QT_QPA_PLATFORM=offscreen \
    timeout -s TERM "${3:-8}" strace -f -qq -o "$work/trace" -e trace=%file,%desc "$1" \
    --wine-prefix "$work/prefix" || status=$?
[[ $status -eq 124 ]] || { echo "the monitor ended on its own"; exit 1; }  # 124: timeout ended it
! grep -E 'open(at2?)?\(.*(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC).*\) += [0-9]|(^| )(creat|rename(at2?)?|unlink(at)?|f?truncate|mkdir(at)?|rmdir|(sym)?link(at)?|mknod(at)?|f?chmod(at)?|[fl]?chown(at)?|utime(s|nsat)?|futimesat|[fl]?(set|remove)xattr)\(.*\) += 0' \
    "$work/trace" || { echo "^ the monitor wrote"; exit 1; }
opened=$(grep -c -E 'open(at)?\(.*-(Activity|Debug)-[0-9]{6}\.log.* = [0-9]' "$work/trace" || true)
[[ $opened -gt 0 ]] || { echo "the monitor opened no log: it did not run as expected"; exit 1; }
echo "no write in $(wc -l <"$work/trace") traced calls; $opened opens of the logs"
