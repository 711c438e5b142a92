# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: deps configure build run test bench clean

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

run: build
	$(BUILD)/app/vicinara

test: build
	cd $(BUILD) && ctest --output-on-failure

bench: build
	$(BUILD)/bench/vicinara-bench

clean:
	rm -rf $(BUILD)
