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
# VS Code's browser build and the driver its end-to-end test runs.
VSCODE_TEST    = $(BUILD_DIR)/vscode-test/.installed
SARIF_TEST     = $(BUILD_DIR)/sarif-test/node_modules/.package-lock.json
# The playground: its WebAssembly build, its npm packages and the page.
PLAYGROUND_WASM_DIR = $(BUILD_DIR)/wasm
PLAYGROUND_DEPS     = $(BUILD_DIR)/playground-deps/node_modules/.package-lock.json
PLAYGROUND_DIR      = $(BUILD_DIR)/playground
# Debian's emscripten runs its optimiser on the machine's Node.js, which
# finds Debian's JavaScript packages only here.
EMSCRIPTEN_ENV      = NODE_PATH=/usr/share/nodejs

.PHONY: all build setup setup-playground setup-test playground test test-normal test-asan build-asan build-fuzz fuzz demo bench package clean

all: build

# Building (and the demo) needs a compiler and the libraries; the tests
# need editors, a browser and more, installed only for them.
setup:
	@./scripts/setup.sh build

setup-playground: setup
	@./scripts/setup.sh playground

setup-test: setup
	@./scripts/setup.sh test

$(BUILD_DIR)/build.ninja: | setup
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD_DIR)/build.ninja: | setup-test
	cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	      -DCMAKE_CXX_FLAGS=-O1 -DTOVEL_SANITIZE=ON

build: setup $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-asan: setup-test $(ASAN_BUILD_DIR)/build.ninja
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)

# The libFuzzer targets, built by clang with ASan and UBSan.
$(FUZZ_BUILD_DIR)/build.ninja: | setup-test
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DTOVEL_FUZZ=ON -DBUILD_TESTING=OFF -DTOVEL_BENCHMARKS=OFF

build-fuzz: setup-test $(FUZZ_BUILD_DIR)/build.ninja
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS)

# `make fuzz FUZZ_SECONDS=3600` fuzzes longer; `make test` runs the default.
fuzz: build-fuzz
	./scripts/fuzz.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS)

# The VS Code extension's npm packages, exactly as package-lock.json pins them.
$(VSCODE_DEPS): $(VSCODE_DIR)/package-lock.json | setup-test
	cd $(VSCODE_DIR) && npm ci --no-audit --no-fund

$(VSCODE_TEST): tests/vscode/package-lock.json tests/vscode/install.sh | setup-test
	./tests/vscode/install.sh $(BUILD_DIR)/vscode-test

# Configured again: tools the test setup installed after a demo's build are
# found by the tests that drive them.
# The SARIF schema and its validator, as tests/sarif/package-lock.json pins them.
$(SARIF_TEST): tests/sarif/package.json tests/sarif/package-lock.json | setup-test
	mkdir -p $(BUILD_DIR)/sarif-test
	cp tests/sarif/package.json tests/sarif/package-lock.json $(BUILD_DIR)/sarif-test/
	cd $(BUILD_DIR)/sarif-test && npm_config_cache=$$PWD/.npm npm ci --ignore-scripts --no-audit --no-fund

# Monaco and the browser driver, as playground/package-lock.json pins them.
$(PLAYGROUND_DEPS): playground/package.json playground/package-lock.json | setup-playground
	mkdir -p $(BUILD_DIR)/playground-deps
	cp playground/package.json playground/package-lock.json $(BUILD_DIR)/playground-deps/
	cd $(BUILD_DIR)/playground-deps && npm_config_cache=$$PWD/.npm npm ci --ignore-scripts --no-audit --no-fund

$(PLAYGROUND_WASM_DIR)/build.ninja: | setup-playground
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(PLAYGROUND_WASM_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

# The page in $(PLAYGROUND_DIR); serve that folder with any static server.
playground: setup-playground $(PLAYGROUND_WASM_DIR)/build.ninja $(PLAYGROUND_DEPS)
	$(EMSCRIPTEN_ENV) cmake --build $(PLAYGROUND_WASM_DIR) -j $(JOBS)
	./playground/assemble.sh $(PLAYGROUND_WASM_DIR)/playground $(BUILD_DIR)/playground-deps/node_modules \
	    examples $(PLAYGROUND_DIR)

test-normal: build setup-test $(VSCODE_DEPS) $(VSCODE_TEST) $(SARIF_TEST) playground
	cmake -S . -B $(BUILD_DIR) >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS)
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
