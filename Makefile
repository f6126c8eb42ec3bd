# Quick start: `make demo` and `make test` work on a fresh Debian 12 machine. Both install what
# is missing (apt-get, as root or through sudo), configure, build with -j2 and run.

BUILD_DIR ?= build
JOBS ?= 2
PACKAGES := g++ cmake make libwxgtk3.2-dev libgtk-3-dev libgtest-dev libbenchmark-dev xvfb xauth pkg-config libxml2-dev libpoppler-cpp-dev libpoppler-glib-dev libcmark-dev libmobi-dev libcairo2-dev libsqlite3-dev libicu-dev libhyphen-dev hyphen-en-us hyphen-de hyphen-fr hyphen-ru libespeak-ng-dev espeak-ng-data libpcaudio-dev pulseaudio pulseaudio-utils
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# Tests open real windows: under xvfb-run when there is no display. -noreset keeps the server
# from resetting each time its last client leaves: a test that connects during such a reset is
# refused ("Unable to initialize GTK+") and fails.
XVFB := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1600x1200x24 -noreset")

.PHONY: all deps configure build demo test test-share screenshots bench bench-smoke clean deps-checks \
    test-asan test-tsan valgrind

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update -q && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

# CMAKE_ARGS: more cache settings, e.g. -DFLIT_WERROR=ON as CI builds (.ci/run).
configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

# The reader on the sample tour. With a display it opens the window; without one it reads the
# whole tour unattended under a virtual display, records every event, saves a screenshot and
# prints what it read.
DEMO_DOC := samples/harbour-tour.flit
DEMO_OUT := $(BUILD_DIR)/demo
demo: build
ifneq ($(DISPLAY),)
	$(BUILD_DIR)/app/flitreader $(DEMO_DOC)
else
	@mkdir -p $(DEMO_OUT)
	@echo "No display: reading $(DEMO_DOC) unattended under xvfb-run..."
	$(XVFB) $(BUILD_DIR)/app/flitreader --autostart --auto-continue --exit-when-done \
	    --record $(DEMO_OUT)/record.tsv --screenshot $(DEMO_OUT)/screenshot.png $(DEMO_DOC)
	@echo "Words shown: $$(awk -F'\t' '$$3 == "WORD" && $$4 != ""' $(DEMO_OUT)/record.tsv | wc -l) flashes;" \
	    "events recorded in $(DEMO_OUT)/record.tsv; screenshot in $(DEMO_OUT)/screenshot.png"
endif

test: build
	cd $(BUILD_DIR) && $(XVFB) ctest --output-on-failure -j$(JOBS)

# The share of test code: C++ lines under tests/ against the rest, failing above the limit held
# in the script (tools/count-test-lines.py).
test-share:
	python3 tools/count-test-lines.py --per-folder

# The pictures of the README and docs/: every generator under tools/screenshots (a program named
# *-screenshots that writes its pictures into the folder given) runs under its own virtual
# display, so that the pictures do not depend on the desktop they are made on.
SCREENSHOTS_DIR ?= docs
screenshots: configure
	cmake --build $(BUILD_DIR) -j$(JOBS) --target screenshots
	@for generator in $(BUILD_DIR)/tools/screenshots/*-screenshots; do \
	    echo "$$generator $(SCREENSHOTS_DIR)"; \
	    xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" $$generator $(SCREENSHOTS_DIR) || exit 1; \
	done

# Every benchmark, a table of the figures against their targets, written to docs/performance.md
# (about ten minutes: the engine reads 2,000 words at three speeds). bench-smoke runs each
# benchmark once, small, and writes nothing: CI keeps them from rotting that way.
bench: build
	$(XVFB) python3 bench/run-benchmarks.py --build $(BUILD_DIR)

bench-smoke: build
	$(XVFB) python3 bench/run-benchmarks.py --build $(BUILD_DIR) --brief

# Real books (tools/check-books.py, docs/reliability.md): Debian's documentation packages ship
# manuals as EPUB, HTML, PDF and text in several languages; flit-timing reads a chosen set of
# them and the script checks that the editions of a book agree, that no word is binary noise
# and that each opens in time. The packages are installed if missing.
BOOK_PACKAGES := debmake-doc developers-reference debian-policy maint-guide-fr maint-guide-de \
    live-manual-epub live-manual-html live-manual-txt
.PHONY: check-books deps-books

deps-books:
	@missing=""; for p in $(BOOK_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get -o DPkg::Lock::Timeout=600 update -q && $(SUDO) env DEBIAN_FRONTEND=noninteractive \
	        apt-get -o DPkg::Lock::Timeout=600 install -y -q $$missing; \
	fi

check-books: deps-books configure
	cmake --build $(BUILD_DIR) -j$(JOBS) --target flit-timing
	python3 tools/check-books.py --flit-timing $(BUILD_DIR)/tools/flit-timing/flit-timing --jobs $(JOBS)

# Sanitizer and valgrind runs (docs/reliability.md), each in its own build folder so that they
# never disturb the plain build. GCC brings both sanitizers; their runtimes and valgrind are
# installed if missing. A finding fails the run: the options below stop the process at the first
# error, and the suppressions files name only system libraries that we do not build.
ASAN_BUILD_DIR ?= build-asan
TSAN_BUILD_DIR ?= build-tsan
VALGRIND_BUILD_DIR ?= build-valgrind
CHECK_PACKAGES := libasan8 libubsan1 libtsan2 valgrind jq
SANITIZER_FILES := $(CURDIR)/tests/sanitizers
# Allocation stacks are unwound in full (fast_unwind_on_malloc=0): the system libraries have no
# frame pointers, and a stack cut short at g_malloc would not show which library leaked.
ASAN_ENV := ASAN_OPTIONS=halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:fast_unwind_on_malloc=0 \
    LSAN_OPTIONS=suppressions=$(SANITIZER_FILES)/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
TSAN_ENV := TSAN_OPTIONS=suppressions=$(SANITIZER_FILES)/tsan.supp:halt_on_error=1:second_deadlock_stack=1:print_suppressions=0
SANITIZER_CMAKE_FLAGS ?=

deps-checks: deps
	@missing=""; for p in $(CHECK_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update -q && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

# AddressSanitizer with UndefinedBehaviorSanitizer (leak checking included) over every test. The
# build runs with the same options: the tests that need no display are listed at build time.
test-asan: deps-checks
	cmake -S . -B $(ASAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLIT_SANITIZE=address,undefined $(SANITIZER_CMAKE_FLAGS)
	env $(ASAN_ENV) cmake --build $(ASAN_BUILD_DIR) -j$(JOBS)
	cd $(ASAN_BUILD_DIR) && env $(ASAN_ENV) $(XVFB) ctest --output-on-failure -j$(JOBS)

# ThreadSanitizer over the tests that run the presentation thread: engine, stress and reader.
test-tsan: deps-checks
	cmake -S . -B $(TSAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLIT_SANITIZE=thread $(SANITIZER_CMAKE_FLAGS)
	env $(TSAN_ENV) cmake --build $(TSAN_BUILD_DIR) -j$(JOBS)
	cd $(TSAN_BUILD_DIR) && env $(TSAN_ENV) $(XVFB) ctest --output-on-failure -j$(JOBS) -L 'engine|stress|app'

# valgrind's memcheck over the test binaries that need no display (those not labelled gui), on
# an ordinary build: any memory error, or a definite leak outside the suppressed system
# libraries, fails the run.
valgrind: deps-checks
	cmake -S . -B $(VALGRIND_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(VALGRIND_BUILD_DIR) -j$(JOBS)
	$(XVFB) tests/sanitizers/run-valgrind.sh $(VALGRIND_BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

# Fuzzing (tests/fuzz, docs/reliability.md): the libFuzzer targets, built with clang and
# AddressSanitizer + UndefinedBehaviorSanitizer in their own folder; clang and its runtime
# libraries are installed if missing. `make fuzz` runs each target for FUZZ_TIME seconds,
# `make fuzz-long` for FUZZ_RUNS executions each. Every run works on a copy of its target's seed
# corpus in $(FUZZ_BUILD_DIR)/runs/<target>, so the repository's corpus stays as it is; a crash
# input and the run's log are left there too. All targets run; any finding fails at the end.
# FUZZ_TARGETS picks targets (e.g. FUZZ_TARGETS=markup); FUZZ_ARGS passes more libFuzzer options
# (e.g. FUZZ_ARGS=-max_len=1024).
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_TIME ?= 60
FUZZ_RUNS ?= 1000000
FUZZ_ARGS ?=
FUZZ_TARGETS ?= timing_settings plain_text markup flit_timing html markdown epub pdf mobi fb2
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link \
    -fno-omit-frame-pointer -g
FUZZ_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
.PHONY: fuzz fuzz-long fuzz-build deps-fuzz

deps-fuzz: deps
	@missing=""; for p in $(FUZZ_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update -q && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

fuzz-build: deps-fuzz
	cmake -S . -B $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	    -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)" -DFLIT_BUILD_FUZZERS=ON -DFLIT_BUILD_TESTS=OFF \
	    -DFLIT_BUILD_BENCH=OFF -DFLIT_BUILD_APP=OFF -DFLIT_BUILD_TOOLS=OFF
	cmake --build $(FUZZ_BUILD_DIR) -j$(JOBS)

# $(call fuzz-run,<libFuzzer limit option>)
define fuzz-run
	@failed=""; for t in $(FUZZ_TARGETS); do \
	    work=$(FUZZ_BUILD_DIR)/runs/$$t; rm -rf $$work; mkdir -p $$work/corpus; \
	    cp tests/fuzz/corpus/$$t/* $$work/corpus/; \
	    case $$t in \
	        timing_settings) dict=-dict=tests/fuzz/settings.dict ;; \
	        markup|flit_timing) dict=-dict=tests/fuzz/markup.dict ;; \
	        html|markdown) dict=-dict=tests/fuzz/html.dict ;; \
	        epub) dict=-dict=tests/fuzz/epub.dict ;; \
	        pdf) dict=-dict=tests/fuzz/pdf.dict ;; \
	        mobi) dict=-dict=tests/fuzz/mobi.dict ;; \
	        fb2) dict=-dict=tests/fuzz/fb2.dict ;; \
	        *) dict= ;; \
	    esac; \
	    echo "fuzz_$$t: $(1) $(FUZZ_ARGS) (log: $$work/log)"; start=$$(date +%s); \
	    if env $(FUZZ_ENV) $(FUZZ_BUILD_DIR)/tests/fuzz/fuzz_$$t $$work/corpus $$dict \
	            -artifact_prefix=$$work/ -timeout=30 -print_final_stats=1 $(1) $(FUZZ_ARGS) \
	            >$$work/log 2>&1; then \
	        echo "  $$(grep -m1 -o 'number_of_executed_units: *[0-9]*' $$work/log) in $$(( $$(date +%s) - start )) s," \
	            "corpus $$(ls $$work/corpus | wc -l) inputs"; \
	    else \
	        tail -n 60 $$work/log; echo "  fuzz_$$t FAILED: see $$work/ for the log and the input"; \
	        failed="$$failed $$t"; \
	    fi; \
	done; \
	if [ -n "$$failed" ]; then echo "Fuzzing found problems in:$$failed"; exit 1; fi
endef

fuzz: fuzz-build
	$(call fuzz-run,-max_total_time=$(FUZZ_TIME))

fuzz-long: fuzz-build
	$(call fuzz-run,-runs=$(FUZZ_RUNS))

# Debian packages (cmake/FlitPackaging.cmake): a Release build for /usr in its own folder,
# without tests or benchmarks; the .deb files land in $(PKG_BUILD_DIR)/packages.
# `make lint`: clang-format and clang-tidy over our code (.ci/lint), through the compile
# database of its own configured (not built) folder.
PKG_BUILD_DIR ?= build-pkg
LINT_BUILD_DIR ?= build-lint
PKG_TOOLS := dpkg-dev file
LINT_TOOLS := clang-format clang-tidy
.PHONY: package lint deps-package deps-lint

deps-package deps-lint: deps
	@missing=""; for p in $(if $(filter deps-lint,$@),$(LINT_TOOLS),$(PKG_TOOLS)); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update -q && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

package: deps-package
	cmake -S . -B $(PKG_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	    -DFLIT_BUILD_TESTS=OFF -DFLIT_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(PKG_BUILD_DIR) -j$(JOBS)
	rm -rf $(PKG_BUILD_DIR)/packages
	cd $(PKG_BUILD_DIR) && cpack -G DEB
	@for deb in $(PKG_BUILD_DIR)/packages/*.deb; do \
	    echo "$$(basename $$deb): $$(du -k $$deb | cut -f1) KiB; Depends: $$(dpkg-deb -f $$deb Depends)"; \
	done

lint: deps-lint
	cmake -S . -B $(LINT_BUILD_DIR) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DFLIT_BUILD_TESTS=OFF \
	    -DFLIT_BUILD_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	JOBS=$(JOBS) .ci/lint $(LINT_BUILD_DIR)
