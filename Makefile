# The two commands: `make run` plays the game, `make test` runs every test.
BUILD     ?= build
JOBS      ?= $(shell nproc)
CMAKEOPTS ?=

.PHONY: run test build deps configure bench package screenshots fuzz soak clean

run: build
	cd $(BUILD)/play && ../swoopy

test: build
	bash scripts/test.sh $(BUILD)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

configure: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) $(CMAKEOPTS)

deps:
	@bash scripts/deps.sh

bench: build
	bash scripts/bench.sh $(BUILD)

# libFuzzer on the text-file reader, the score entries, the sound files and the
# game records, each for FUZZ_SECONDS; a build of its own with clang and the sanitizers.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX     ?= clang++-14
FUZZ_CC      ?= clang-14
fuzz: deps
	@[ -f $(FUZZ_BUILD)/CMakeCache.txt ] || CC=$(FUZZ_CC) CXX=$(FUZZ_CXX) cmake -S . -B $(FUZZ_BUILD) \
		-DSWOOPY_FUZZ=ON -DSWOOPY_BENCH=OFF $(CMAKEOPTS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Thousands of whole headless games under the address and undefined-behaviour
# sanitizers (SOAK_GAMES of them), in a build of their own; `make test` plays a few.
# SOAK_SCALE=2 plays them on a screen of two device pixels a layout pixel.
SOAK_BUILD ?= build-asan
SOAK_GAMES ?= 2000
SOAK_SCALE ?= 1
soak: deps
	@[ -f $(SOAK_BUILD)/CMakeCache.txt ] || cmake -S . -B $(SOAK_BUILD) -DSWOOPY_SANITIZE=ON -DSWOOPY_BENCH=OFF $(CMAKEOPTS)
	cmake --build $(SOAK_BUILD) -j $(JOBS) --target game_tests
	cd $(SOAK_BUILD)/tests && SWOOPY_SOAK_GAMES=$(SOAK_GAMES) SWOOPY_SOAK_SCALE=$(SOAK_SCALE) ./game_tests --gtest_filter='SoakTest.*'

# The Debian package, in $(BUILD)/, checked by lintian when it is installed.
package: build
	cd $(BUILD) && cpack -G DEB
	@if command -v lintian >/dev/null; then \
		lintian --fail-on error,warning $(BUILD)/swoopy_*.deb; \
	else \
		echo "lintian is not installed: the package was not checked"; \
	fi

# The README's pictures, taken from the real game under Xvfb.
screenshots: build
	bash scripts/screenshots.sh $(BUILD)

clean:
	rm -rf $(BUILD)
