#!/usr/bin/env bash
# The browser build: installs what it needs (Debian's Emscripten and
# Chromium; Node and npm come with the machine), builds both WebAssembly
# engines (one thread, and threaded) with warnings as errors and the page
# from a clean npm install (make web), runs the engine's tests in Node and
# the page's tests in headless Chromium (the threaded build on the isolated
# page, the one-thread build without isolation), and prints bench
# nodes/second of the browser builds (the threaded one with 1 and 2
# threads) beside the console build's.
set -euo pipefail
cd "$(dirname "$0")/.."

need_packages=()
for pkg in emscripten chromium; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need_packages+=("$pkg")
done
if ((${#need_packages[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need_packages[@]}"
fi
for tool in node npm; do
  command -v "$tool" >/dev/null || { echo "web.sh: $tool is missing"; exit 1; }
done

echo "=== the browser build: make web (warnings as errors)"
rm -rf web/node_modules
make web WEB_CMAKE_FLAGS="-DTORLO_WERROR=ON"

echo "=== the WebAssembly engine in Node, the page in headless Chromium"
(cd web && node --test tests/)

echo "=== bench: the browser builds against the console build"
[ -x build/torlo ] || make build
(cd web && node bench.mjs ../build/torlo 3 ../build-web --browser)
