# The two commands of the README:
#   make play  - install what is missing, build, and start the game in its data tree
#   make test  - install what is missing, build, and run every test headless
BUILD ?= build
CMAKE_ARGS ?=
JOBS ?= $(shell nproc)

.PHONY: deps configure build build-game play test clean

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Only the game and its data tree: the tests and benchmarks wait for `make test`.
build-game: configure
	@cmake --build $(BUILD) -j $(JOBS) --target morvane data_tree

play: build-game
	cd $(BUILD)/game && ../morvane

test: build
	cd $(BUILD) && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
