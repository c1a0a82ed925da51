#!/usr/bin/env bash
# Speed of the Windows build under Wine against the Linux build, side by
# side on this machine: `bench` runs alternate between the two builds
# (Linux first in each round), and the node counts, each build's median
# nodes/second and the median of the per-round ratios are printed. Both
# builds are made first when missing (build/torlo and build-windows/torlo.exe).
# Not part of the test suite.
#
# Usage: tools/windows_speed.sh [--runs N]   (default 7)
# Environment: WINEPREFIX  Wine prefix to use (default: a new one in a
#                          temporary folder; its first start takes seconds)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=7
while (($#)); do
  case "$1" in
    --runs) RUNS=$2; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
cd "$ROOT"
[[ -x build/torlo ]] || make build >/dev/null
[[ -f build-windows/torlo.exe ]] || make windows >/dev/null
LINUX=$ROOT/build/torlo
EXE=$ROOT/build-windows/torlo.exe
WINE=/usr/lib/wine/wine64

WORK=$(mktemp -d)
if [[ -z ${WINEPREFIX:-} ]]; then
  export WINEPREFIX=$WORK/wineprefix
  mkdir "$WINEPREFIX"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$WORK"' EXIT
/usr/lib/wine/wineserver -p
(cd "$WORK" && printf 'quit\n' | "$WINE" "$EXE" >/dev/null 2>&1)  # makes the prefix, starts Wine's services

median() { sort -g | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) CPUs; $("$WINE" --version)"
echo "Linux:   $LINUX"
echo "Windows: $EXE (under $WINE)"
: >"$WORK/linux"
: >"$WORK/windows"
for ((i = 1; i <= RUNS; ++i)); do
  for side in linux windows; do
    if [[ $side == linux ]]; then out=$(cd "$WORK" && printf 'bench\nquit\n' | "$LINUX")
    else out=$(cd "$WORK" && printf 'bench\nquit\n' | "$WINE" "$EXE" 2>/dev/null); fi
    echo "$(awk '/^Nodes searched:/ {print $3}' <<<"$out") $(awk '/^Nodes\/second:/ {print $2}' <<<"$out")" >>"$WORK/$side"
  done
done
echo "bench ($RUNS alternating runs each, median nodes/second):"
for side in linux windows; do
  printf '  %-8s nodes %-10s nps %10.0f   (runs: %s)\n' "$side" "$(awk '{print $1}' "$WORK/$side" | sort -u | tr '\n' ' ')" \
    "$(awk '{print $2}' "$WORK/$side" | median)" "$(awk '{print $2}' "$WORK/$side" | tr '\n' ' ')"
done
printf '  Windows / Linux, median of the per-round ratios: %.2f\n' \
  "$(paste -d ' ' "$WORK/linux" "$WORK/windows" | awk '{print $4 / $2}' | median)"
