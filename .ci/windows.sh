#!/usr/bin/env bash
# The Windows build, checked on Linux: `make windows` cross-compiles a
# static torlo.exe with MinGW-w64 and clang (warnings as errors) and packs
# the zip; the executable must import only system DLLs, reserve 8 MB of
# stack and search with helper threads (Threads above 1).
# The executable from the zip then runs under Wine: started from another
# folder it finds the book beside it; every whole-program transcript of
# tests/e2e/cases (bad input, start-up and bench, perft 5 and UCI searches
# to depth 6 included) is matched byte for byte, the property scripts
# (UCI and xboard over pipes, threads, pondering, a terminal, long games) pass, and finally the real
# xboard plays one game against Fairy-Max with the engine started as
# "/usr/lib/wine/wine64 torlo.exe".
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
echo "=== the Windows build: MinGW-w64 cross build, checks under Wine, xboard playing it"

need_packages=()
for pkg in cmake g++ python3 g++-mingw-w64-x86-64-posix mingw-w64 clang-16 wine64; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need_packages+=("$pkg")
done
if ((${#need_packages[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need_packages[@]}" >/dev/null
fi

fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "--- cross build (make windows)"
rm -f build-windows/torlo-*-windows-x86_64.zip
make windows WINDOWS_BUILD=build-windows CMAKE_FLAGS="-DTORLO_WERROR=ON" >"$work/build.log" 2>&1 ||
  { tail -40 "$work/build.log"; fail "make windows"; }
zips=(build-windows/torlo-*-windows-x86_64.zip)
[[ ${#zips[@]} == 1 && -f ${zips[0]} ]] || fail "no zip torlo-<version>-windows-x86_64.zip: ${zips[*]}"
zip=${zips[0]}
version=${zip#build-windows/torlo-}
version=${version%-windows-x86_64.zip}

# Only system DLLs: the C++ library, libgcc and the thread library are in the executable.
imports=$(x86_64-w64-mingw32-objdump -p build-windows/torlo.exe | sed -n 's/^\s*DLL Name: //p')
echo "imports: $(tr '\n' ' ' <<<"$imports")"
while read -r dll; do
  [[ ${dll,,} =~ ^(kernel32|msvcrt|ucrtbase|api-ms-win-.*)\.dll$ ]] || fail "torlo.exe needs $dll"
done <<<"$imports"
stack=$((16#$(x86_64-w64-mingw32-objdump -p build-windows/torlo.exe | awk '/SizeOfStackReserve/ {print $2}')))
((stack >= 8 * 1024 * 1024)) || fail "stack reserve $stack bytes"

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The zip holds one folder with the executable, the book and the README
# (and the licence, when the tree has one); the checks run what it holds.
python3 - "$zip" "$work/unzipped" build-windows/torlo.exe <<'PY' || fail "zip contents"
import os, sys, zipfile
path, dest, exe = sys.argv[1:]
folder = os.path.basename(path)[:-4] + "/"
names = sorted(n for n in zipfile.ZipFile(path).namelist() if not n.endswith("/"))
expected = sorted(folder + n for n in ["torlo.exe", "TORLO.opn", "README.md"] + (["LICENSE"] if os.path.exists("LICENSE") else []))
if names != expected:
    sys.exit("zip holds %s, expected %s" % (names, expected))
zipfile.ZipFile(path).extractall(dest)
for name in names:
    source = exe if name.endswith(".exe") else os.path.basename(name)
    if open(os.path.join(dest, name), "rb").read() != open(source, "rb").read():
        sys.exit("%s differs from %s" % (name, source))
print("zip: " + ", ".join(names))
PY
folder=$work/unzipped/torlo-$version-windows-x86_64
# The tests' sessions expect no book unless they bring one: they run a copy
# of the zip's executable in a folder of its own, away from the book.
mkdir "$work/bare"
cp "$folder/torlo.exe" "$work/bare/"
exe=$work/bare/torlo.exe

# A persistent server keeps Wine's own service processes alive between
# runs: they start with the first program and would otherwise hold the
# test's output pipes open until they time out, seconds after each run.
echo "--- Wine: first start (makes the prefix)"
mkdir "$WINEPREFIX"
/usr/lib/wine/wineserver -p
t0=$SECONDS
(cd "$folder" && printf 'quit\n' | "$wine" torlo.exe >"$work/first.out" 2>"$work/first.err") || fail "first start"
echo "first start: $((SECONDS - t0)) s"
if grep -v '^wine: ' "$work/first.err"; then fail "standard error of the first start (above)"; fi
grep -q '^Book size: ' "$work/first.out" || { cat "$work/first.out"; fail "no book line beside the book"; }
[[ $(head -1 "$work/first.out") == "TORLO v$version" ]] || fail "the zip's version $version is not the engine's"
# Helper threads: clang compiled their copy (cmake/windows-helper-copy.cmake).
threads=$(cd "$folder" && printf 'uci\nquit\n' | "$wine" torlo.exe 2>/dev/null | sed -n 's/^option name Threads .* max \([0-9]*\).*/\1/p')
echo "Threads: at most ${threads:-?}"
((${threads:-1} > 1)) || fail "torlo.exe searches with one thread"

# Started from another folder, the executable finds the book beside it.
(cd "$work" && printf 'quit\n' | "$wine" "$folder/torlo.exe" >"$work/elsewhere.out" 2>/dev/null) ||
  fail "start from another folder"
grep -q '^Book size: ' "$work/elsewhere.out" || { cat "$work/elsewhere.out"; fail "no book line from another folder"; }

export TORLO_TEST_WRAPPER=$wine TORLO_TEST_WRAPPER_STDERR="wine:"
echo "--- Wine: whole-program transcripts and property scripts"
passed=0 failed=0
for case_in in tests/e2e/cases/*.in; do
  if result=$(python3 tests/e2e/run_case.py "$exe" "$case_in" 2>&1) && [[ $result == ok ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $(basename "$case_in" .in): $result"
  fi
done
for script in tests/e2e/*_test.py; do
  if result=$(python3 "$script" "$exe" 2>&1); then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL $(basename "$script" .py):"; echo "$result" | tail -20
  fi
done
echo "windows (wine): $passed passed, $failed failed ($((SECONDS - t0)) s since the first start)"
((failed == 0)) || fail "whole-program tests under Wine"

echo "--- xboard plays torlo.exe under Wine against Fairy-Max"
GUI_MATCH_WRAPPER=$wine bash .ci/gui_match.sh "$folder/torlo.exe" 1 xboard

echo "windows checks: $((SECONDS - started)) s"
