# The two set-up commands: `make demo` and `make test`. Both install missing Debian packages when run
# as root and configure; demo builds ruvx and the module only and runs the main job on the bundled
# demo scene, test builds everything and runs every test.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= 2
DEMO_OUT   ?= $(BUILD)/demo/demo.x
# Extra configure flags, e.g. CI's -DRUV_WERROR=ON.
CMAKE_ARGS ?=
CLANG_FORMAT ?= clang-format-14
PACKAGES   := cmake g++ make pkg-config zlib1g-dev nlohmann-json3-dev libcli11-dev \
              libdeflate-dev libgtest-dev libgmock-dev libassimp-dev assimp-utils \
              assimp-testmodels libirrlicht-dev libtinygltf-dev libstb-dev libsquish-dev \
              libpng-dev imagemagick libosmesa6-dev \
              qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins \
              clang libclang-rt-14-dev clang-format-14 chromium

.PHONY: all deps configure build demo test test-asan bench fuzz format format-check clean

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
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j$(JOBS)

# ruvx builds the modules it loads (ruv.dle, ruv_dialog.so, ruv_import_assimp.so) first; the tests
# and benchmarks are not needed here.
demo: deps configure
	cmake --build $(BUILD) -j$(JOBS) --target ruvx ruv
	@mkdir -p $(dir $(DEMO_OUT))
	@if $(BUILD)/bin/ruvx demo $(DEMO_OUT) --config-dir $(BUILD)/demo/config; then \
	  echo "demo: wrote $(DEMO_OUT)"; \
	  $(BUILD)/bin/ruvx preview $(DEMO_OUT) -o $(DEMO_OUT:.x=.png); \
	else \
	  echo "demo: the export wrote no file (see the message above)"; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The tests again under the address and undefined-behaviour sanitizers, in a build of their own,
# compiled by clang: so the code is built by both compilers, with their warnings.
test-asan: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DRUV_SANITIZE=ON \
	  $(CMAKE_ARGS)
	cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && ctest --output-on-failure -j$(JOBS)

# Each fuzz target for FUZZ_SECONDS, with clang's libFuzzer and the sanitizers, every library
# instrumented. The seeds in fuzz/corpus/ stay as they are; what the fuzzer finds goes to the build.
FUZZ_SECONDS ?= 30
FUZZ_TARGETS := xof_reader scene_loader profile gltf_import preview_scene texture_decode
fuzz: deps
	CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUV_SANITIZE=ON -DRUV_FUZZ=ON
	cmake --build $(BUILD)-fuzz -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(BUILD)-fuzz/corpus/$$t && \
	  echo "fuzz_$$t: $(FUZZ_SECONDS) s" && \
	  $(BUILD)-fuzz/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=10 \
	    -rss_limit_mb=2048 -print_final_stats=1 $(BUILD)-fuzz/corpus/$$t fuzz/corpus/$$t \
	    2>$(BUILD)-fuzz/fuzz_$$t.log || { tail -60 $(BUILD)-fuzz/fuzz_$$t.log; exit 1; }; \
	  grep -E '^stat::(number_of_executed_units|new_units_added)|cov:' $(BUILD)-fuzz/fuzz_$$t.log | tail -3; \
	done

# Formatting: every C++ file git knows, against .clang-format.
format:
	git ls-files '*.cpp' '*.h' | xargs $(CLANG_FORMAT) -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs $(CLANG_FORMAT) --dry-run --Werror

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz
