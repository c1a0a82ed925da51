#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehavior-
# Sanitizer) and runs each for a bounded time on a copy of its seed corpus,
# so the repository is never written. Any crash, sanitizer report, failed
# invariant, leak or timeout fails the run.
#
#   .ci/fuzz.sh [seconds per target]      (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-${FUZZ_SECONDS:-60}}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}

need_packages=()
command -v clang++ >/dev/null 2>&1 || need_packages+=(clang)
dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || need_packages+=(libclang-rt-14-dev)
if ((${#need_packages[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need_packages[@]}"
fi

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# target, longest input, dictionary
targets=(
  "session 12000 fuzz/session.dict"
  "fen 1024 fuzz/fen.dict"
  "book 30000 -"
)
failed=0
for entry in "${targets[@]}"; do
  read -r name max_len dict <<<"$entry"
  corpus=$work/corpus-$name
  mkdir -p "$corpus" "$work/findings-$name"
  cp fuzz/corpus/"$name"/* "$corpus"/
  args=(-max_total_time="$seconds" -max_len="$max_len" -timeout=60 -rss_limit_mb=4096
        -print_final_stats=1 -artifact_prefix="$work/findings-$name/")
  [[ $dict != - ]] && args+=(-dict="$root/$dict")
  echo "== ${name}_fuzz for ${seconds}s"
  if ! "$build/${name}_fuzz" "${args[@]}" "$corpus" >"$work/$name.log" 2>&1; then
    failed=1
    echo "FAIL: ${name}_fuzz found a problem:"
    grep -E "ERROR|invariant failed|SUMMARY|runtime error|Test unit written" "$work/$name.log" | head -20 || true
    for finding in "$work/findings-$name"/*; do
      [[ -f $finding ]] || continue
      echo "--- reproducer $(basename "$finding") (base64):"
      base64 -w 0 "$finding"; echo
    done
  else
    grep -E "stat::number_of_executed_units|DONE" "$work/$name.log" | tail -2
  fi
done
if ((failed)); then
  echo "fuzzing: findings above"
  exit 1
fi
echo "fuzzing: no findings"
