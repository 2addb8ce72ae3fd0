# The two commands of the README, and a few more for everyday work.
BUILD ?= build
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run run-pixloom test bench clean

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

clean:
	rm -rf $(BUILD)
