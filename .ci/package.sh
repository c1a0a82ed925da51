#!/usr/bin/env bash
# The Debian package as a user gets it. Builds it (make package, in build/),
# checks it with lintian (no error, and no warning but the ones the README
# lists), installs it with dpkg -i and runs the installed engine from /
# (book line, a book move, `quit` exits 0, the manual page shows), has the
# real xboard play two short games against Fairy-Max with the engine given
# by bare name (-fcp torlo: found on the PATH, no -fd) and checks that
# TORLO played book moves in them, then removes the package with dpkg -r
# and checks that nothing it installed is left behind.
#
#   .ci/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

need_packages=()
for pkg in cmake g++ dpkg-dev file lintian man-db python3 xboard xvfb xauth fairymax; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need_packages+=("$pkg")
done
if ((${#need_packages[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need_packages[@]}" >/dev/null
fi
# Debian puts /usr/games on a user's PATH (not on root's): as a user would.
export PATH=/usr/games:$PATH

# The lintian warnings kept, each explained in the README ("Installing").
kept_warnings='hardening-no-pie'

version=$(sed -n 's/^set(TORLO_VERSION \(.*\))$/\1/p' cmake/version.cmake)
[[ -n $version ]] || { echo "FAIL: no TORLO_VERSION in cmake/version.cmake"; exit 1; }
deb=build/torlo_${version}_amd64.deb
work=$(mktemp -d)
installed=0
cleanup() {
  ((installed)) && dpkg -r torlo >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

echo "--- make package"
rm -f "$deb"
make package JOBS="$(nproc)" >"$work/package.log" 2>&1 || { tail -30 "$work/package.log"; fail "make package"; }
[[ -f $deb ]] || fail "$deb was not built"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Section\|Depends\|Maintainer\): /  \1: /p'

echo "--- lintian"
# Exit status 1: errors found; anything above: lintian itself failed.
status=0
lintian --pedantic --display-info --fail-on error "$deb" >"$work/lintian.txt" 2>&1 || status=$?
((status <= 1)) || fail "lintian did not run (exit $status): $(grep -v 'root privileges' "$work/lintian.txt" | head -3)"
grep -E '^[EWIPX]: ' "$work/lintian.txt" || echo "  (no tags)"
((status == 0)) && ! grep -q '^E: ' "$work/lintian.txt" || fail "lintian reports errors"
if grep '^W: ' "$work/lintian.txt" | grep -Evq ": ($kept_warnings)( |$)"; then
  fail "lintian warnings beyond the kept ones ($kept_warnings)"
fi

echo "--- dpkg -i"
dpkg -i "$deb" >/dev/null
installed=1
dpkg -L torlo >"$work/files"
[[ $(command -v torlo) == /usr/games/torlo ]] || fail "torlo on the PATH is $(command -v torlo || echo nothing)"

echo "--- the installed engine, started from /"
out=$(cd / && printf 'quit\n' | torlo 2>"$work/stderr") || fail "quit: exit status $?"
[[ ! -s $work/stderr ]] || fail "standard error: $(head -3 "$work/stderr")"
grep -q '^Book size: ' <<<"$out" || fail "no book line at start-up: $out"
grep '^Book size: ' <<<"$out"
out=$(cd / && printf 'sd 3\ngo\nquit\n' | torlo) || fail "go: exit status $?"
grep -q '(book move)$' <<<"$out" || fail "no book move after go: $out"
grep '(book move)$' <<<"$out"
MANPAGER=cat MANWIDTH=80 man 6 torlo 2>"$work/stderr" | grep -q '^CONSOLE AND XBOARD COMMANDS' \
  || fail "man 6 torlo: $(head -3 "$work/stderr")"
echo "  man 6 torlo: shown"

echo "--- xboard -fcp torlo against Fairy-Max"
# A short clock (TORLO then moves at once): this checks the installed
# engine under the GUI; .ci/gui_match.sh's own runs check its play.
GUI_MATCH_WORK=$work/match GUI_MATCH_TC=0:10 GUI_MATCH_INC=0.5 GUI_MATCH_SAVE_SETTINGS=1 \
  bash .ci/gui_match.sh torlo 2 xboard
# xboard's debug log has every line the engine sent ("<first : ...").
book_moves=$(grep -c '^[0-9]* <first : .*(book move)$' "$work/match/xboard.debug" || true)
((book_moves > 0)) || fail "TORLO played no book move under xboard"
echo "  TORLO's book moves in the two games: $book_moves"
# The plugin file is where xboard reads the installed engines' plugins,
# with the header line of Fairy-Max's there and the engine's command.
plugin=/usr/share/games/plugins/xboard/torlo.eng
[[ -f $plugin ]] || fail "no xboard plugin $plugin"
[[ $(sed -n 1p "$plugin") == "$(sed -n 1p /usr/share/games/plugins/xboard/fairymax.eng)" &&
   $(sed -n 2p "$plugin") == torlo ]] || fail "$plugin is not an xboard plugin for torlo: $(cat "$plugin")"
echo "  xboard plugin: $plugin"

echo "--- dpkg -r"
dpkg -r torlo >/dev/null
installed=0
! dpkg -s torlo >/dev/null 2>&1 || fail "torlo still known to dpkg after dpkg -r"
left=()
while read -r path; do
  [[ -e $path && ! -d $path ]] && left+=("$path")
done <"$work/files"
for dir in /usr/share/games/torlo /usr/share/doc/torlo; do
  [[ -e $dir ]] && left+=("$dir")
done
((${#left[@]} == 0)) || fail "left behind after dpkg -r: ${left[*]}"
echo "  removed: none of its $(wc -l <"$work/files") paths is left"

echo "package: built, lintian clean, installed, played under xboard, removed ($((SECONDS - start)) s)"
