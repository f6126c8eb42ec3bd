# Quick start: `make demo` and `make test` work on a fresh Debian 12 machine. Both install what
# is missing (apt-get, as root or through sudo), configure, build with -j2 and run.

BUILD_DIR ?= build
JOBS ?= 2
PACKAGES := g++ cmake make libwxgtk3.2-dev libgtest-dev libbenchmark-dev xvfb xauth
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# Tests open real windows: under xvfb-run when there is no display.
XVFB := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1600x1200x24")

.PHONY: all deps configure build demo test bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update -q && $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

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

bench: build
	$(BUILD_DIR)/bench/flit-bench

clean:
	rm -rf $(BUILD_DIR)
