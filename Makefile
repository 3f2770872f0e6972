# The commands of a newcomer: `make run` and `make test`. Everything they need
# is installed by scripts/install-deps (apt, idempotent).
BUILD      := build
NATIVE     := $(BUILD)/native
WIN        := $(BUILD)/win
JOBS       ?= 2

.PHONY: all deps native win sanitize fuzz test run dist bench screenshots clean

all: native win

deps:
	@scripts/install-deps

native: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

win: deps
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

# The native tests once more under ASan and UBSan, and the fuzz targets with libFuzzer.
sanitize: deps
	@cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DBV7_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)/sanitize -j$(JOBS) --target native_tests

fuzz: deps
	@cmake -S . -B $(BUILD)/fuzz -DCMAKE_CXX_COMPILER=clang++ -DBV7_LIBFUZZER=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD)/fuzz -j$(JOBS)

test: native win sanitize fuzz
	@scripts/run-tests

run: win
	@scripts/run-spulwerk

dist: win
	@scripts/make-dist

bench: deps
	@cmake -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/bench -j$(JOBS) --target bench
	@$(BUILD)/bench/bench

screenshots: win
	@scripts/screenshots

clean:
	rm -rf $(BUILD)
