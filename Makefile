# The two commands of the README. Each installs what is missing, configures and builds.
BUILD     ?= build
SANITIZE  ?= OFF
CXX_COMPILER ?=
JOBS      ?= $(shell nproc)
CMAKE_ARGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_SANITIZE=$(SANITIZE) \
             $(if $(CXX_COMPILER),-DCMAKE_CXX_COMPILER=$(CXX_COMPILER),)

.PHONY: run test serve build build-sim configure deps bench pictures package clean

# No "Entering directory" lines from the build's own make.
MAKEFLAGS += --no-print-directory

# The simulator and what it loads (the tweak, the module bundle, the progress image) only.
run: build-sim
	@$(BUILD)/tools/tessaro-sim

# The live device in a browser: prints the page's address, and opens it where there is a
# desktop. SERVE_ARGS: more of `tessaro-sim serve`'s arguments (a scenario, --port N, ...).
serve: build-sim
	@$(BUILD)/tools/tessaro-sim serve --open $(SERVE_ARGS)

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
	$(BUILD)/bench/sweep-bench
	$(BUILD)/bench/serve-bench

# Both packages: com.brel.tessaro_VERSION_iphoneos-arm.deb for a jailbroken phone (built
# with everything) and tessaro-sim_VERSION_amd64.deb for a Debian host (CPack), in $(BUILD).
package: build
	cmake --build $(BUILD) --target package
	@ls $(BUILD)/*.deb $(BUILD)/packages/*.deb

# The pictures of docs/SCENARIOS.md, made again by their scenario or replay.
pictures: build-sim
	$(BUILD)/tools/tessaro-sim docs/scenarios/control-center.scenario --quiet
	$(BUILD)/tools/tessaro-sim docs/scenarios/repair.scenario --quiet
	$(BUILD)/tools/tessaro-sim replay docs/recordings/pick-up-and-put-down.csv --set wakeMode=1 \
	    --set isUpdateIntervalEnabled=YES --set updateIntervalSlider=2 --plot docs/images/replay-pick-up.png --quiet

build: configure
	cmake --build $(BUILD) -j $(JOBS)

build-sim: configure
	@cmake --build $(BUILD) -j $(JOBS) --target tessaro-sim

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_ARGS) >/dev/null

deps:
	@scripts/install-deps.sh

clean:
	rm -rf $(BUILD)
