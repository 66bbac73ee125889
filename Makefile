# Two commands: `make run` starts the program, `make test` runs every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test test-core test-asan test-fuzz fuzz bench format format-check clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEZEDO_WERROR=ON $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/vezedo6

test: format-check test-core test-asan test-fuzz

test-core: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The core tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEZEDO_WERROR=ON -DVEZEDO_SANITIZE=ON \
	  -DVEZEDO_BUILD_BENCH=OFF -DVEZEDO_BUILD_GUI=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Every reader under libFuzzer for SECONDS each (clang++ only; fuzz/run says so and skips
# without it). `make test` gives each target a few seconds.
SECONDS ?= 30
FUZZ_TEST_SECONDS ?= 5

fuzz: deps
	JOBS=$(JOBS) fuzz/run $(SECONDS) $(FUZZ_BUILD)

test-fuzz: deps
	JOBS=$(JOBS) fuzz/run $(FUZZ_TEST_SECONDS) $(FUZZ_BUILD)

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

SOURCES = git ls-files '*.cpp' '*.h'

format:
	$(SOURCES) | xargs clang-format -i

# Fails, naming the files, when a C++ file does not follow .clang-format.
format-check: deps
	@bad=$$($(SOURCES) | while read -r f; do clang-format --dry-run --Werror "$$f" >/dev/null 2>&1 || echo "$$f"; done); \
	if [ -n "$$bad" ]; then echo "Not formatted (run 'make format'):"; echo "$$bad"; exit 1; fi

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
