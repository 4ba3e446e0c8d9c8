# Front door for the CMake build. `make demo` and `make test` are the two
# commands of the quick start; the rest are for development and CI.
BUILD  ?= build
ASAN   ?= build-asan
JOBS   ?= 2
CMAKE  ?= cmake
PREFIX ?= /usr/local
# What `make install` and `make package` build before copying.
INSTALLED_TARGETS = VORNEXDO1M vxdoe vxdoe_man
# Debian packages a step needs, installed with apt when missing (as root);
# anyone else is told in one line what to install.
NEED_VXDOE = tools/need-packages.sh vxdoe libcli11-dev nlohmann-json3-dev libeigen3-dev
PYTHON_PACKAGES = pybind11-dev python3-dev python3-numpy python3-pandas python3-matplotlib python3-pytest \
  python3-hypothesis python3-setuptools

# Fuzzing (clang): one libFuzzer target per family of entry points, each run
# for FUZZ_SECONDS on its checked-in seeds plus what earlier runs found.
FUZZ         ?= build-fuzz
FUZZ_CXX     ?= clang++-14
FUZZ_SECONDS ?= 600
FUZZ_FLAGS   ?= -timeout=10 -rss_limit_mb=3072 -max_len=4096
FUZZ_FAMILIES = classical optimal response sensory mixture
FUZZ_RUNS    ?= 20000
# The sensory searches make whole designs and order searches from each input:
# under the fuzzing instrumentation one call can take tens of seconds, so the
# smoke gives that family fewer inputs and a looser hang limit.
FUZZ_SENSORY_RUNS    ?= 1500
FUZZ_SENSORY_TIMEOUT ?= 120
FUZZ_CORPUS  ?= $(FUZZ)/corpus

.PHONY: python demo test sanitize bench configure clean fuzz fuzz-build fuzz-smoke install package test-packages man-packages

configure:
	$(NEED_VXDOE)
	$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

# Builds the library and the host program and runs the default example.
demo: configure
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target VORNEXDO1M vxdoe
	./$(BUILD)/vxdoe rsm --design ccd --factors 3

# Builds everything (library, host, tests, benchmarks) and runs every test.
# GoogleTest and Google Benchmark come from apt when missing (as root).
test: test-packages configure
	$(CMAKE) --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest -j$(JOBS) --output-on-failure

test-packages:
	tools/need-packages.sh "the tests" libgtest-dev libbenchmark-dev $(PYTHON_PACKAGES)

# The Python package vornexdo1m, in $(BUILD)/python (PYTHONPATH=$(BUILD)/python).
python:
	$(NEED_VXDOE)
	tools/need-packages.sh "the Python package" $(PYTHON_PACKAGES)
	$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target vornexdo1m_python

man-packages:
	tools/need-packages.sh "the manual page" help2man

# The library, its header, vxdoe with its manual page, the CMake package and
# the pkg-config file under PREFIX; the tree can be moved afterwards.
install: man-packages configure
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target $(INSTALLED_TARGETS)
	$(CMAKE) --install $(BUILD) --prefix $(PREFIX)

# The same files as a Debian package, in $(BUILD)/, and the Python package
# as python3-vornexdo1m when it is built.
package: man-packages configure
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target $(INSTALLED_TARGETS)
	cd $(BUILD) && cpack -G DEB
	if grep -q '^VX_PYTHON:BOOL=ON' $(BUILD)/CMakeCache.txt; then \
	  $(CMAKE) --build $(BUILD) -j$(JOBS) --target vornexdo1m_python && \
	  tools/python-deb.sh $(BUILD) $$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(BUILD)/CMakeCache.txt); fi

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: test-packages
	$(NEED_VXDOE)
	$(CMAKE) -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DVX_SANITIZE=ON -DVX_BENCH=OFF
	$(CMAKE) --build $(ASAN) -j$(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest -j$(JOBS) --output-on-failure

bench: configure
	$(CMAKE) --build $(BUILD) -j$(JOBS)
	for b in $(BUILD)/bench/bench_*; do $$b; done

fuzz-build:
	$(NEED_VXDOE)
	$(CMAKE) -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	  -DVX_FUZZ=ON -DBUILD_TESTING=OFF -DVX_BENCH=OFF
	$(CMAKE) --build $(FUZZ) -j$(JOBS) --target vx_fuzz

# Stops at the first finding; the reproducer lands in $(FUZZ)/findings/ and
# the calls made and skipped per entry point are summed at the end.
fuzz: fuzz-build
	mkdir -p $(FUZZ)/findings
	rm -f $(FUZZ)/stats-*
	for f in $(FUZZ_FAMILIES); do \
	  mkdir -p $(FUZZ_CORPUS)/$$f && \
	  VX_FUZZ_STATS=$(FUZZ)/stats-$$f ./$(FUZZ)/fuzz/vx_fuzz_$$f $(FUZZ_CORPUS)/$$f fuzz/corpus/$$f \
	    $(FUZZ_FLAGS) -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(FUZZ)/findings/$$f- \
	    -print_final_stats=1 || exit 1; \
	done
	fuzz/sum_stats.sh $(addprefix $(FUZZ)/stats-,$(FUZZ_FAMILIES))

# CI's smoke: a fixed mutation seed and a fixed number of inputs per family,
# so that a clean checkout tries the same inputs on any machine and a
# finding reproduces rather than turning up by chance of speed.
fuzz-smoke:
	rm -rf $(FUZZ)/smoke-corpus
	$(MAKE) fuzz FUZZ_CORPUS=$(FUZZ)/smoke-corpus FUZZ_SECONDS=600 FUZZ_FAMILIES="classical optimal response mixture" \
	  FUZZ_FLAGS="$(FUZZ_FLAGS) -seed=1 -runs=$(FUZZ_RUNS)"
	$(MAKE) fuzz FUZZ_CORPUS=$(FUZZ)/smoke-corpus FUZZ_SECONDS=600 FUZZ_FAMILIES=sensory \
	  FUZZ_FLAGS="$(FUZZ_FLAGS) -timeout=$(FUZZ_SENSORY_TIMEOUT) -seed=1 -runs=$(FUZZ_SENSORY_RUNS)"

clean:
	rm -rf $(BUILD) $(ASAN) $(FUZZ)
