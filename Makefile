# The two set-up commands: `make demo` and `make test`. Both install missing Debian packages when run
# as root, configure and build; then demo runs the main job on the bundled demo scene and test runs
# every test.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= 2
DEMO_OUT   ?= $(BUILD)/demo/demo.x
PACKAGES   := cmake g++ make pkg-config zlib1g-dev nlohmann-json3-dev libcli11-dev \
              libgtest-dev libgmock-dev libbenchmark-dev libassimp-dev assimp-utils \
              assimp-testmodels libtinygltf-dev libstb-dev libosmesa6-dev \
              qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins

.PHONY: all deps configure build demo test test-asan bench fuzz clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:" $$missing; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing Debian packages (run as root to install them):" $$missing; \
	  fi; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	@mkdir -p $(dir $(DEMO_OUT))
	@if $(BUILD)/bin/ruvx demo $(DEMO_OUT) --config-dir $(BUILD)/demo/config; then \
	  echo "demo: wrote $(DEMO_OUT)"; \
	  $(BUILD)/bin/ruvx preview $(DEMO_OUT) -o $(DEMO_OUT:.x=.png); \
	else \
	  echo "demo: the export wrote no file (see the message above)"; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The tests again under the address and undefined-behaviour sanitizers, in a build of their own.
test-asan: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DRUV_SANITIZE=ON
	cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j$(JOBS)

# Each fuzz target for FUZZ_SECONDS, with clang's libFuzzer and the sanitizers, from the samples.
FUZZ_SECONDS ?= 30
fuzz: deps
	CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUV_SANITIZE=ON -DRUV_FUZZ=ON
	cmake --build $(BUILD)-fuzz -j$(JOBS) --target fuzz_xof_reader fuzz_scene_loader fuzz_profile fuzz_gltf_import
	@mkdir -p $(BUILD)-fuzz/corpus/xof $(BUILD)-fuzz/corpus/scene $(BUILD)-fuzz/corpus/profile $(BUILD)-fuzz/corpus/gltf
	$(BUILD)-fuzz/bin/fuzz_xof_reader -max_total_time=$(FUZZ_SECONDS) -max_len=65536 $(BUILD)-fuzz/corpus/xof tests/xof/data
	$(BUILD)-fuzz/bin/fuzz_scene_loader -max_total_time=$(FUZZ_SECONDS) $(BUILD)-fuzz/corpus/scene examples
	$(BUILD)-fuzz/bin/fuzz_profile -max_total_time=$(FUZZ_SECONDS) $(BUILD)-fuzz/corpus/profile tests/ruv/data
	$(BUILD)-fuzz/bin/fuzz_gltf_import -max_total_time=$(FUZZ_SECONDS) -max_len=65536 $(BUILD)-fuzz/corpus/gltf examples/models

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz
