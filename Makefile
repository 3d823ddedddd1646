# The two commands: `make run` plays the game, `make test` runs every test.
BUILD     ?= build
JOBS      ?= $(shell nproc)
CMAKEOPTS ?=

.PHONY: run test build deps configure bench package screenshots clean

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

# The Debian package, in $(BUILD)/.
package: build
	cd $(BUILD) && cpack -G DEB

# The README's pictures, taken from the real game under Xvfb.
screenshots: build
	bash scripts/screenshots.sh $(BUILD)

clean:
	rm -rf $(BUILD)
