# Thin wrapper over CMake: `make run` builds in Release and starts the engine
# beside its book; `make test` builds and runs the test suite; `make package`
# builds the Debian package torlo_<version>_amd64.deb in the build folder;
# `make windows` cross-builds torlo.exe and its zip with MinGW-w64.
BUILD ?= build
WINDOWS_BUILD ?= build-windows
JOBS ?= $(shell nproc)

.PHONY: all build run test test-all bench package windows clean web web-serve web-test web-bench

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/torlo

# Every test except the long perft depths (label "slow").
test: build
	ctest --test-dir $(BUILD) -LE slow --output-on-failure -j $(JOBS)

# The whole suite, long perft depths included.
test-all: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	printf 'bench\nquit\n' | ./$(BUILD)/torlo | tail -3

# CPack's DEB generator packs the "debian" install component (Debian's
# layout for games, the binary stripped).
package: build
	cd $(BUILD) && cpack -G DEB

# $(WINDOWS_BUILD)/torlo.exe and $(WINDOWS_BUILD)/torlo-<version>-windows-x86_64.zip
# (needs Debian's g++-mingw-w64-x86-64-posix and mingw-w64).
windows:
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DTORLO_TESTS=OFF -DTORLO_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD)

# The browser build: the engine compiled with Emscripten (src/web) and the
# page bundled from web/ into $(WEB_OUT), a folder of static files.
# Debian's Emscripten runs its tools on Node with its own modules path.
WEB_BUILD ?= build-wasm
WEB_OUT ?= build-web
WEB_PORT ?= 8000
EMSCRIPTEN_ENV = NODE_PATH=/usr/share/nodejs$(if $(NODE_PATH),:$(NODE_PATH))

web/node_modules/.package-lock.json: web/package-lock.json
	cd web && npm ci --no-audit --no-fund

web: web/node_modules/.package-lock.json
	$(EMSCRIPTEN_ENV) emcmake cmake -S src/web -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release $(WEB_CMAKE_FLAGS)
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)
	cd web && node build.mjs ../$(WEB_BUILD) ../$(WEB_OUT)

# Serves $(WEB_OUT) on http://127.0.0.1:$(WEB_PORT)/ until interrupted.
web-serve: web
	cd web && node serve.mjs ../$(WEB_OUT) --port $(WEB_PORT)

# The WebAssembly engine in Node and the page in headless Chromium.
web-test: web
	cd web && TORLO_WEB_DIR=../$(WEB_OUT) node --test tests/

# bench nodes/second of the browser builds (one thread; threaded, with 1 and
# 2 threads) against the console build; WEB_BENCH_FLAGS="--against DIR" adds
# another built site's runs (web/bench.mjs).
web-bench: build web
	cd web && node bench.mjs ../$(BUILD)/torlo 9 ../$(WEB_OUT) --browser $(WEB_BENCH_FLAGS)
