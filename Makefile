# The two commands of the README, and a few more for everyday work.
BUILD ?= build
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: all deps configure build run run-pixloom test bench monkey fuzz install package clean docs screenshots format

all: build

deps:
	@QM_TOOLS_DIR=$(BUILD)/tools scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/bin/QM4Edit $(BUILD)/samples/demo.qm4

run-pixloom: build
	$(BUILD)/bin/Pixloom $(BUILD)/samples/demo.tex

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

# Every C++ file as .clang-format says; CI fails on a file that differs.
format:
	@scripts/check-format.sh --fix

# The keyboard reference in docs/guide.md, read from the programs' own menus and keys.
docs: configure
	@cmake --build $(BUILD) -j$(JOBS) --target qm_docgen
	$(BUILD)/bin/qm_docgen keys docs/guide.md

# docs/images/*.png: both windows on the demo files and the main dialogs. In a virtual X
# display with Mesa's software OpenGL where xvfb-run is installed, so that the perspective
# view draws; offscreen otherwise.
screenshots: configure
	@cmake --build $(BUILD) -j$(JOBS) --target qm_docgen demo_scene demo_texture
	@if command -v xvfb-run >/dev/null 2>&1; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 \
	    $(BUILD)/bin/qm_docgen screenshots $(BUILD)/samples docs/images; \
	else \
	  $(BUILD)/bin/qm_docgen screenshots $(BUILD)/samples docs/images; \
	fi

# Each program's window under seeded random use for SECONDS seconds (MONKEY_SEED=n replays
# one seed; a failure prints its seed and the shortest step list that still fails).
SECONDS ?= 60
monkey: configure
	@cmake --build $(BUILD) -j$(JOBS) --target editor_monkey pixloom_monkey
	@for m in editor_monkey pixloom_monkey; do \
	  QT_QPA_PLATFORM=offscreen MONKEY_SECONDS=$(SECONDS) $(BUILD)/bin/$$m || exit 1; done

# Every fuzz target for SECONDS seconds; inputs that reach new code join tests/fuzz-corpus/.
fuzz:
	FUZZ_SECONDS=$(SECONDS) FUZZ_MERGE=1 scripts/ci-fuzz.sh

# Installs the programs, tools, desktop files, icons, manual pages and guide below PREFIX
# (DESTDIR is honoured for staging).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, $(BUILD)/qm4edit-pixloom_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
