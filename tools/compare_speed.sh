#!/usr/bin/env bash
# Speed of the current build against a baseline build, side by side on this
# machine:
#   1. `bench`: node count and nodes/second of both builds, the runs
#      alternating between the builds, with the median of each and the ratio;
#   2. `perft 6` from the start position against Debian's stockfish
#      `go perft 6` (median wall time of a few runs, skipped without stockfish);
#   3. with --depth: each bench position searched for the default 10 seconds
#      by both builds, and the last iteration each completed (slow: about
#      200 seconds);
#   4. with --timeline S (implies --depth): each bench position searched for
#      S seconds by the current build, the time at which each iteration
#      ended, and the speed-up over the current build that ending one more
#      iteration than the baseline's in 10 seconds would take (slow: about
#      200 + 10 * S seconds).
# Not part of the test suite.
#
# Usage: tools/compare_speed.sh [--runs N] [--base REV] [--depth] [--timeline S]
# Environment: BUILD     build directory of the current tree (default build)
#              BASE_DIR  git worktree for the baseline (default: next to the
#                        repository, torlo-baseline-REV; created when missing)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=5
BASE_REV=7bddbc5
DEPTH=0
TIMELINE=0
while (($#)); do
  case "$1" in
    --runs) RUNS=$2; shift 2 ;;
    --base) BASE_REV=$2; shift 2 ;;
    --depth) DEPTH=1; shift ;;
    --timeline) DEPTH=1; TIMELINE=$2; shift 2 ;;
    -h|--help) sed -n '2,23p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
BASE_DIR=${BASE_DIR:-$(dirname "$ROOT")/torlo-baseline-$BASE_REV}
CUR_BUILD=${BUILD:-$ROOT/build}
JOBS=$(nproc)

# --- builds
if [[ ! -d "$BASE_DIR" ]]; then
  git -C "$ROOT" worktree add --detach "$BASE_DIR" "$BASE_REV" >/dev/null
fi
if [[ ! -x "$BASE_DIR/build/torlo" ]]; then
  cmake -S "$BASE_DIR" -B "$BASE_DIR/build" -DCMAKE_BUILD_TYPE=Release -DTORLO_TESTS=OFF >/dev/null
  cmake --build "$BASE_DIR/build" -j "$JOBS" --target torlo >/dev/null
fi
cmake -S "$ROOT" -B "$CUR_BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$CUR_BUILD" -j "$JOBS" --target torlo >/dev/null
BASE=$BASE_DIR/build/torlo
CUR=$CUR_BUILD/torlo

# The engines run in an empty directory: no book, nothing written.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

median() { sort -g | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
now() { date +%s.%N; }

echo "Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) CPUs"
echo "Baseline: $BASE_REV ($BASE)"
echo "Current:  $(git -C "$ROOT" rev-parse --short HEAD)$(git -C "$ROOT" diff --quiet HEAD -- src || echo ' + working tree') ($CUR)"
echo

# --- 1. bench, alternating
: >"$WORK/bench.base"
: >"$WORK/bench.cur"
for ((i = 1; i <= RUNS; ++i)); do
  for side in base cur; do
    engine=$BASE; [[ $side == cur ]] && engine=$CUR
    out=$(cd "$WORK" && printf 'bench\nquit\n' | "$engine")
    nodes=$(awk '/^Nodes searched:/ {print $3}' <<<"$out")
    nps=$(awk '/^Nodes\/second:/ {print $2}' <<<"$out")
    echo "$nodes $nps" >>"$WORK/bench.$side"
  done
done
base_nodes=$(awk '{print $1}' "$WORK/bench.base" | sort -u | tr '\n' ' ')
cur_nodes=$(awk '{print $1}' "$WORK/bench.cur" | sort -u | tr '\n' ' ')
base_nps=$(awk '{print $2}' "$WORK/bench.base" | median)
cur_nps=$(awk '{print $2}' "$WORK/bench.cur" | median)
echo "bench ($RUNS alternating runs each, median nodes/second):"
printf '  baseline  nodes %-10s nps %10.0f   (runs: %s)\n' "$base_nodes" "$base_nps" "$(awk '{print $2}' "$WORK/bench.base" | tr '\n' ' ')"
printf '  current   nodes %-10s nps %10.0f   (runs: %s)\n' "$cur_nodes" "$cur_nps" "$(awk '{print $2}' "$WORK/bench.cur" | tr '\n' ' ')"
awk -v b="$base_nps" -v c="$cur_nps" 'BEGIN {printf "  ratio of the medians %.2f\n", c / b}'
# Each round runs the two builds back to back, under much the same load from
# the machine's other tenants: the median of the per-round ratios is steadier
# than the ratio of the medians when that load drifts.
round_ratio=$(paste -d ' ' "$WORK/bench.base" "$WORK/bench.cur" | awk '{print $4 / $2}' | median)
printf '  median of the per-round ratios %.2f\n' "$round_ratio"
[[ "$base_nodes" == "$cur_nodes" ]] || echo "  NOTE: the node counts differ (the search itself changed since the baseline)"
echo

# --- 2. perft 6 against stockfish
PERFT_RUNS=3
# time_perft ENGINE COMMAND FILE WHO: wall seconds of PERFT_RUNS runs into FILE.
time_perft() {
  for ((i = 1; i <= PERFT_RUNS; ++i)); do
    t0=$(now); out=$(cd "$WORK" && printf '%s\nquit\n' "$2" | "$1"); t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}' >>"$3"
    grep -q '^Nodes searched: 119060324$' <<<"$out" || echo "  WARNING: $4 did not count 119060324"
  done
}
time_perft "$CUR" 'perft 6' "$WORK/perft.cur" 'perft 6'
cur_perft=$(median <"$WORK/perft.cur")
echo "perft 6 from the start position (median wall seconds of $PERFT_RUNS):"
printf '  current    %.2f s\n' "$cur_perft"
STOCKFISH=${STOCKFISH:-$(command -v stockfish || echo /usr/games/stockfish)}
if [[ -x "$STOCKFISH" ]]; then
  time_perft "$STOCKFISH" 'go perft 6' "$WORK/perft.sf" stockfish
  sf_perft=$(median <"$WORK/perft.sf")
  printf '  stockfish  %.2f s (go perft 6, bulk counting)\n' "$sf_perft"
  awk -v c="$cur_perft" -v s="$sf_perft" 'BEGIN {printf "  ratio %.2f (target: at most 4)\n", c / s}'
else
  echo "  stockfish not installed (apt-get install stockfish): no comparison"
fi

# --- 3. iterations completed in the default 10 seconds
if ((DEPTH)); then
  echo
  echo "last iteration completed in 10 s per bench position (baseline, current):"
  positions=(
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8"
    "r3r1k1/2p2ppp/p1p1bn2/8/1q2P3/2NPQN2/PPP3PP/R4RK1 b - - 2 15"
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19"
    "2r3k1/pp3ppp/2n5/3p4/3P4/2N5/PP3PPP/2R3K1 w - - 0 1"
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"
    "6k1/5ppp/8/8/8/8/r4PPP/1R4K1 w - - 0 1"
    "8/8/1p1k4/p2p4/P2P1K2/1P6/8/8 w - - 0 1"
  )
  # When each iteration ended inside its window, from the thinking lines:
  # the search prints a line after every root search, and a line whenever a
  # root move raises alpha. A line that repeats the one before it (depth,
  # score and principal variation; time and nodes aside) is therefore the
  # end of its iteration, and any line of depth d+1 shows that iteration d
  # has ended. Prints "depth centiseconds" per ended iteration.
  ITERATIONS_ENDED='
    /^ +[0-9]+ +-?[0-9]+ +[0-9]+ +[0-9]+ / {
      key = $1 " " $2; for (i = 5; i <= NF; ++i) key = key " " $i
      if (key == previous && !($1 in ended)) ended[$1] = $3
      if ($1 > 1 && !(($1 - 1) in ended)) ended[$1 - 1] = $3
      previous = key
    }
    END {for (d = 1; d in ended; ++d) print d, ended[d]}'
  completed() {
    (cd "$WORK" && printf 'new\nforce\npost\nsetboard %s\ngo\nquit\n' "$2" | "$1") |
      awk "$ITERATIONS_ENDED" | awk 'END {print NR}'
  }
  sum_base=0 sum_cur=0 n=0
  base_completed=()
  for fen in "${positions[@]}"; do
    db=$(completed "$BASE" "$fen")
    dc=$(completed "$CUR" "$fen")
    printf '  %-70s %3d %3d\n' "$fen" "$db" "$dc"
    sum_base=$((sum_base + db)); sum_cur=$((sum_cur + dc)); n=$((n + 1))
    base_completed+=("$db")
  done
  awk -v b="$sum_base" -v c="$sum_cur" -v n="$n" \
    'BEGIN {printf "  average %.1f -> %.1f (%+.1f iterations)\n", b / n, c / n, (c - b) / n}'
fi

# --- 4. when the current build completes each iteration
if ((TIMELINE)); then
  echo
  echo "current build, $TIMELINE s per bench position: seconds at which each iteration ended,"
  echo "and the speed-up over the current build that ending one iteration more than"
  echo "the baseline in 10 s would take:"
  i=0
  for fen in "${positions[@]}"; do
    want=$((base_completed[i] + 1)); i=$((i + 1))
    t0=$(now)
    ended=$(cd "$WORK" && printf 'new\nforce\npost\nst %d\nsetboard %s\ngo\nquit\n' "$TIMELINE" "$fen" | "$CUR" |
      awk "$ITERATIONS_ENDED")
    t1=$(now)
    # A search that stops before its time (a mate found within the depth
    # limit) ends the same iterations at any speed.
    stopped=$(awk -v a="$t0" -v b="$t1" -v s="$TIMELINE" 'BEGIN {print (b - a < s - 1) ? 1 : 0}')
    awk -v fen="$fen" -v want="$want" -v limit="$TIMELINE" -v stopped="$stopped" '
        {at[$1] = $2 / 100; line = line sprintf(" %d:%.2f", $1, $2 / 100)}
        END {
          need = (want in at) ? sprintf("%.2fx", at[want] / 10) : sprintf("more than %gx", limit / 10)
          if (stopped && !(want in at)) need = "never: the search stops by itself before it"
          printf "  %s\n     %s\n     iteration %d: %s\n", fen, line, want, need
        }' <<<"$ended"
  done
fi
