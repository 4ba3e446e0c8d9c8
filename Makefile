# Front door for the CMake build. `make demo` and `make test` are the two
# commands of the quick start; the rest are for development and CI.
BUILD  ?= build
ASAN   ?= build-asan
JOBS   ?= 2
CMAKE  ?= cmake

.PHONY: demo test sanitize bench configure clean

configure:
	$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

# Builds the library and the host program and runs the default example.
demo: configure
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target VORNEXDO1M vxdoe
	./$(BUILD)/vxdoe rsm --design ccd --factors 3

# Builds everything (library, host, tests, benchmarks) and runs every test.
test: configure
	$(CMAKE) --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest -j$(JOBS) --output-on-failure

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	$(CMAKE) -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DVX_SANITIZE=ON -DVX_BENCH=OFF
	$(CMAKE) --build $(ASAN) -j$(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest -j$(JOBS) --output-on-failure

bench: configure
	$(CMAKE) --build $(BUILD) -j$(JOBS)
	for b in $(BUILD)/bench/bench_*; do $$b; done

clean:
	rm -rf $(BUILD) $(ASAN)
