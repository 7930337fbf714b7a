# make run: set up and start Bandwright.  make test: set up and run every test.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps

# Packages first, also under make -j: configuring needs them.
$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the program: the tests and benchmarks are built by make test and make bench.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target bandwright
	$(BUILD)/bandwright

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@rc=0; for b in $(BUILD)/bench/bench_*; do \
	  [ -f $$b ] && [ -x $$b ] || continue; echo "== $$b"; $$b || rc=1; done; exit $$rc

clean:
	rm -rf $(BUILD)
