# Thin wrapper over CMake: `make run` builds in Release and starts the engine
# beside its book; `make test` builds and runs the test suite; `make package`
# builds the Debian package torlo_<version>_amd64.deb in the build folder.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all build run test test-all bench package clean

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

clean:
	rm -rf $(BUILD)
