# Two commands: `make run` starts the program, `make test` runs every test.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test test-core test-asan test-fuzz fuzz bench format format-check clean

all: build

deps:
	@scripts/install-deps

# Release build with line tables only (-g1): backtraces keep files and lines, the build is about a
# quarter cheaper than with full debug info. The test programs' own sources are compiled at -O0
# (VEZEDO_TEST_OPT): the code they test, in the libraries, keeps -O2.
$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
	  -DVEZEDO_WERROR=ON -DVEZEDO_TEST_OPT=-O0 $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/vezedo6

test: format-check test-core test-asan test-fuzz

test-core: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The core tests again under AddressSanitizer and UndefinedBehaviorSanitizer, in the clang build
# the fuzz targets share (scripts/configure-sanitizers), which builds them too; they run as JOBS
# shards of one process each (scripts/run-shards), leak checks on.
test-asan: deps
	scripts/configure-sanitizers $(SAN_BUILD) $(CMAKE_FLAGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  $(CURDIR)/scripts/run-shards $(JOBS) tests/core_tests

# Every reader under libFuzzer for SECONDS each, JOBS at a time (clang++ only; fuzz/run says so
# and skips without it). `make test` gives each target a few seconds.
SECONDS ?= 30
FUZZ_TEST_SECONDS ?= 5

fuzz: deps
	JOBS=$(JOBS) fuzz/run $(SECONDS) $(SAN_BUILD)

test-fuzz: deps
	JOBS=$(JOBS) fuzz/run $(FUZZ_TEST_SECONDS) $(SAN_BUILD)

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

SOURCES = git ls-files '*.cpp' '*.h'

format:
	$(SOURCES) | xargs clang-format -i

# Fails, naming the files, when a C++ file does not follow .clang-format. The files are checked
# in batches, JOBS at a time; only a batch that fails is checked again file by file.
format-check: deps
	@bad=$$($(SOURCES) | xargs -P $(JOBS) -n 40 sh -c 'clang-format --dry-run --Werror "$$@" >/dev/null 2>&1 || \
	  for f; do clang-format --dry-run --Werror "$$f" >/dev/null 2>&1 || echo "$$f"; done' sh | sort); \
	if [ -n "$$bad" ]; then echo "Not formatted (run 'make format'):"; echo "$$bad"; exit 1; fi

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
