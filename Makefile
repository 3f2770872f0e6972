# The commands of a newcomer: `make run` and `make test`. Everything they need
# is installed by scripts/install-deps (apt, idempotent).
BUILD      := build
NATIVE     := $(BUILD)/native
JOBS       ?= 2
PREFIX     ?= $(HOME)/.local
# The trees of make test are built from scratch in every run: in them the
# sources of a library go to the compiler in batches (CMakeLists.txt), which
# takes less than half the processor time of one file at a time. UNITY=OFF turns
# it off (for a tree that is rebuilt file by file while working on it).
UNITY      ?= ON

.PHONY: all deps deps-bv7 deps-web bv7 native win wintests sanitize fuzz test run dist bench bench-web screenshots install web web-run web-test webtests clean

all: native win

deps:
	@scripts/install-deps

# Only what bv7 needs (compiler, CMake, libsndfile and libpulse headers).
deps-bv7:
	@scripts/install-deps --bv7

# Only what the page needs (Debian's emscripten).
deps-web:
	@scripts/install-deps --web

# Optimised: bv7 is a tool people run on whole tape sides. The native tests
# have a Debug build of their own, under the sanitizers (below).
native: deps bv7

bv7: deps-bv7
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS) --target bv7

# The 32-bit programs, and their tests where the 32-bit Wine runs them.
win: deps
	@JOBS=$(JOBS) UNITY="$(UNITY)" scripts/build-win

# The Windows programs and their tests for the Wine that runs here: the 32-bit
# build itself, or, where the 32-bit Wine cannot run (its packages not
# installable, or a kernel that cannot start 32-bit programs), a 64-bit build
# of the same sources (build/win64; see scripts/wine-env.sh).
wintests: deps
	@JOBS=$(JOBS) UNITY="$(UNITY)" scripts/build-win64

# The native tests under ASan and UBSan, and the fuzz targets with libFuzzer
# (at -O1 with line tables only: they run 8 s each in make test, and their
# build counts in every run).
sanitize: deps
	@cmake -S . -B $(BUILD)/sanitize -DCMAKE_BUILD_TYPE=Debug -DBV7_SANITIZE=ON -DCMAKE_UNITY_BUILD=$(UNITY) >/dev/null
	@cmake --build $(BUILD)/sanitize -j$(JOBS) --target native_tests bv7

fuzz: deps
	@cmake -S . -B $(BUILD)/fuzz -DCMAKE_CXX_COMPILER=clang++ -DBV7_LIBFUZZER=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" -DCMAKE_UNITY_BUILD=$(UNITY) >/dev/null
	@cmake --build $(BUILD)/fuzz -j$(JOBS) --target fuzzers

# Everything installed first; then the builds two at a time (each on both
# cores), so that their single-threaded steps (configure, link) overlap.
test: deps
	@$(MAKE) --no-print-directory -j2 win wintests sanitize fuzz web webtests
	@scripts/run-tests

run: win wintests
	@scripts/run-spulwerk

# The page: the portable core as WebAssembly with the page's files, in
# build/web; `make web-run` serves it on 127.0.0.1 and prints the address.
# Debian's emscripten finds its JavaScript parser only through NODE_PATH.
web: deps-web
	@NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(BUILD)/web -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=$(UNITY) >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(BUILD)/web -j$(JOBS) --target web_worker

web-run: web
	@scripts/serve-web $(BUILD)/web

# The page's tests in Chromium (playwright-core from web/tests/package-lock.json,
# no browser download), with the private audio cable of scripts/with-audio;
# the native bv7 makes their recordings and reads what the cable carried.
web-test: web bv7 webtests
	@timeout 300 scripts/with-audio --browser node --test web/tests/

# playwright-core as web/tests/package-lock.json fixes it.
webtests:
	@cd web/tests && npm ci --no-audit --no-fund --ignore-scripts --silent

dist: win
	@scripts/make-dist

bench: deps
	@cmake -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/bench -j$(JOBS) --target bench screen_bench
	@$(BUILD)/bench/bench
	@$(BUILD)/bench/screen_bench
	@if [ -d $(BUILD)/web ]; then $(MAKE) --no-print-directory bench-web; fi

# The page in Chromium against the built bv7 on the same files (bench/web-speed.mjs).
bench-web: web bv7
	@cmake -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/bench -j$(JOBS) --target bench
	@cd web/tests && npm ci --no-audit --no-fund --ignore-scripts --silent
	@timeout 600 node bench/web-speed.mjs

screenshots: win wintests
	@scripts/screenshots

# bv7 and its manual page under PREFIX (default ~/.local): PREFIX/bin/bv7,
# PREFIX/share/man/man1/bv7.1. Needs only what bv7 needs, not the Windows tools.
install: bv7
	@install -d "$(DESTDIR)$(PREFIX)/bin" "$(DESTDIR)$(PREFIX)/share/man/man1"
	@install -m 755 $(NATIVE)/bv7 "$(DESTDIR)$(PREFIX)/bin/bv7"
	@install -m 644 cli/bv7.1 "$(DESTDIR)$(PREFIX)/share/man/man1/bv7.1"
	@echo "bv7 installiert: $(DESTDIR)$(PREFIX)/bin/bv7"
	@echo "Handbuch: man -l $(DESTDIR)$(PREFIX)/share/man/man1/bv7.1"
	@echo "(\"man bv7\" findet es, wenn $(PREFIX)/bin im PATH steht oder MANPATH $(PREFIX)/share/man nennt.)"

clean:
	rm -rf $(BUILD)
