# The commands of a newcomer: `make run` and `make test`. Everything they need
# is installed by scripts/install-deps (apt, idempotent).
BUILD      := build
NATIVE     := $(BUILD)/native
WIN        := $(BUILD)/win
JOBS       ?= 2

.PHONY: all deps native win test test-native test-win run dist bench screenshots clean

all: native win

deps:
	@scripts/install-deps

native: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

win: deps
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

test: native win
	@scripts/run-tests

run: win
	@scripts/run-spulwerk

dist: win
	@scripts/make-dist

bench: deps
	@cmake -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/bench -j$(JOBS) --target bench
	@$(BUILD)/bench/bench

clean:
	rm -rf $(BUILD)
