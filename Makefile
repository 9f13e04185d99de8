# The two commands of the README. Each installs what is missing, configures and builds.
BUILD     ?= build
SANITIZE  ?= OFF
CXX_COMPILER ?=
JOBS      ?= $(shell nproc)
CMAKE_ARGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_SANITIZE=$(SANITIZE) \
             $(if $(CXX_COMPILER),-DCMAKE_CXX_COMPILER=$(CXX_COMPILER),)

.PHONY: run test build deps bench pictures clean

run: build
	$(BUILD)/tools/tessaro-sim

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/objc-bench
	$(BUILD)/bench/motion-bench
	$(BUILD)/bench/homebutton-bench
	$(BUILD)/bench/snapshot-bench
	$(BUILD)/bench/snapshot-bench --screen=5.5
	$(BUILD)/bench/module-bench
	$(BUILD)/bench/recording-bench

# The pictures of docs/SCENARIOS.md, made again by their scenario.
pictures: build
	$(BUILD)/tools/tessaro-sim docs/scenarios/control-center.scenario --quiet
	$(BUILD)/tools/tessaro-sim docs/scenarios/repair.scenario --quiet

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@scripts/install-deps.sh

clean:
	rm -rf $(BUILD)
