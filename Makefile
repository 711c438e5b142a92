# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: deps configure build run test test-quick bench clean test-sanitize test-tsan fuzz

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

run: build
	$(BUILD)/app/vicinara

# Every test; a failing test's output in full, the rest one line each, then
# the time spent per label. test-quick leaves out the tests labelled slow
# (golden runs, the monkey, extreme values, Python, 3-D, shards).
test: build
	cd $(BUILD) && ctest --output-on-failure --progress

test-quick: build
	cd $(BUILD) && ctest --output-on-failure --progress -LE slow

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_BUILD ?= build-sanitize
test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVICINARA_SANITIZE=ON -DVICINARA_BENCH=OFF -DVICINARA_GUI=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_BUILD)
	cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp ctest --output-on-failure

# The threaded tests under ThreadSanitizer: the headless experiments' worker
# pool (in process and through the program) and the Python module's world
# shared by threads, driven from C++ (an interpreter cannot run under it).
# Only the targets these tests need are built. Any report fails the run.
TSAN_BUILD ?= build-tsan
TSAN_TESTS = ExperimentCommand|Merge|HeadlessExperiment|ExperimentTables|cli_experiment_shards_parallel|WorldHandle|Film
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVICINARA_TSAN=ON -DVICINARA_GUI=OFF -DVICINARA_BENCH=OFF -DVICINARA_PYTHON=OFF $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) --target vicinara-cli test_cli_experiments test_python_world test_film
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" ctest --output-on-failure -R '$(TSAN_TESTS)'

# Every fuzzer for FUZZ_SECONDS each (longer by hand: make fuzz FUZZ_SECONDS=600).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 10
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DVICINARA_FUZZ=ON -DVICINARA_GUI=OFF -DVICINARA_TESTS=OFF -DVICINARA_BENCH=OFF
	cmake --build $(FUZZ_BUILD)
	scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	$(BUILD)/bench/vicinara-bench

clean:
	rm -rf $(BUILD)
