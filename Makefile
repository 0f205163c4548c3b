# Front door of the project. `make run` and `make test` are the two set-up
# commands; both install missing Debian packages first.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build run run-remote test test-asan test-tsan test-cluster bench package clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run-demo.sh $(BUILD)

# The remote road on this machine: platform-sim, the window, a local terminal.
run-remote: build
	@bash scripts/run-remote.sh $(BUILD)

# As CI builds: every warning is an error.
test: deps $(BUILD)/build.ninja
	cmake -S . -B $(BUILD) -DVARNOK_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DVARNOK_SANITIZE=address,undefined -DVARNOK_BUILD_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 900

test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DVARNOK_SANITIZE=thread -DVARNOK_BUILD_BENCH=OFF -DVARNOK_BUILD_GUI=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS)
	cd $(BUILD_TSAN) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -L 'link|sim' --timeout 900
	cd $(BUILD_TSAN) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -L cli -R '^(MainThreadDispatcher|VarnokctlSend|VarnokctlRaw)[.]' --timeout 900

# The fleet apply through a three-node RabbitMQ cluster of its own on
# 127.0.0.1 (the package's own service is left alone): one node is stopped
# mid-run, one --resume finishes the rest.
test-cluster: deps $(BUILD)/build.ninja
	cmake -S . -B $(BUILD) -DVARNOK_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS) --target test_cluster varnokctl
	cd $(BUILD)/tests/cluster && ./test_cluster

# The Debian package (varnok-configure-tool_<version>_<arch>.deb) in $(BUILD).
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	@bash scripts/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN)
