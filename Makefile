# Thin wrapper around CMake for newcomers: `make demo` and `make test` are all
# a fresh Debian machine needs.
BUILD_DIR      ?= build
ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS   ?= 60
JOBS           ?= $(shell nproc 2>/dev/null || echo 2)

SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1 \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
                LSAN_OPTIONS=exitcode=23

VSCODE_DIR     = editors/vscode
VSCODE_DEPS    = $(VSCODE_DIR)/node_modules/.package-lock.json

.PHONY: all build setup test test-normal test-asan build-asan build-fuzz fuzz demo bench package clean

all: build

setup:
	@./scripts/setup.sh

$(BUILD_DIR)/build.ninja: | setup
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD_DIR)/build.ninja: | setup
	cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	      -DCMAKE_CXX_FLAGS=-O1 -DTOVEL_SANITIZE=ON

build: setup $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-asan: setup $(ASAN_BUILD_DIR)/build.ninja
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)

# The libFuzzer targets, built by clang with ASan and UBSan.
$(FUZZ_BUILD_DIR)/build.ninja: | setup
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DTOVEL_FUZZ=ON -DBUILD_TESTING=OFF -DTOVEL_BENCHMARKS=OFF

build-fuzz: setup $(FUZZ_BUILD_DIR)/build.ninja
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS)

# `make fuzz FUZZ_SECONDS=3600` fuzzes longer; `make test` runs the default.
fuzz: build-fuzz
	./scripts/fuzz.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS)

# The VS Code extension's npm packages, exactly as package-lock.json pins them.
$(VSCODE_DEPS): $(VSCODE_DIR)/package-lock.json | setup
	cd $(VSCODE_DIR) && npm ci --no-audit --no-fund

test-normal: build $(VSCODE_DEPS)
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-asan: build-asan
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_BUILD_DIR) --output-on-failure -j $(JOBS)

test: test-normal test-asan fuzz

demo: build
	./scripts/demo.sh $(BUILD_DIR)

package: build
	cmake --build $(BUILD_DIR) --target package

bench: build
	./$(BUILD_DIR)/bench/tovel_bench

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR) $(VSCODE_DIR)/node_modules $(VSCODE_DIR)/out
