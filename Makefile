# vantoViewer3: `make run` starts the clock, `make test` runs every test.
# Both install what is missing (Debian packages, as root or through sudo) and build first.
SHELL := /bin/bash
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
APP_DIR := $(BUILD)/vantoViewer3
PAYLOAD := $(APP_DIR)/vanto-rimal/Payload/Vanto-Rimal3.app
# libfaketime is preloaded in the end-to-end runs, ahead of the sanitizer runtime.
export ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=1:verify_asan_link_order=0
export LSAN_OPTIONS ?= suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1

.PHONY: all deps configure configure-tests build build-all run payload test test-asan fuzz soak memcheck bench clean

all: build

# The clock's packages only; the tests, fuzzing, benchmarks and the soak add their own lists.
deps:
	@bash tools/deps.sh

# The tests and benchmarks are configured in only when their libraries are there (see
# CMakeLists.txt): the clock's own configure needs neither. Once switched on they stay on.
configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null

configure-tests:
	@bash tools/deps.sh test
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVV_TESTS=ON > /dev/null

# The clock and the demo payload's generator, and nothing else: the first `make run` waits
# for no test, benchmark or probe.
build: configure
	@cmake --build $(BUILD) -j$(JOBS) --target vantoViewer3 make_payload

# Everything the tests run: the clock, the generator, the test programs and the probes.
build-all: configure-tests
	@cmake --build $(BUILD) -j$(JOBS)

# The demo payload, made once: pictures, voices and alarm sounds generated here.
payload: build
	@if [ ! -d "$(PAYLOAD)" ]; then \
	  echo "Making the demo payload in $(PAYLOAD) ..."; \
	  rm -rf "$(PAYLOAD).partial"; \
	  $(BUILD)/tools/make_payload --out "$(PAYLOAD).partial" --resources Resources && \
	  mv "$(PAYLOAD).partial" "$(PAYLOAD)"; \
	fi

run: payload
	$(APP_DIR)/bin/vantoViewer3

test: build-all
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory test-asan

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer: the unit,
# widget and reliability tests, and the end-to-end runs of the sanitized binary.
test-asan:
	@bash tools/deps.sh test
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVV_SANITIZE=ON -DVV_TESTS=ON -DVV_BENCH=OFF > /dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest -L unit --output-on-failure -j$(JOBS)
	cd $(ASAN_BUILD) && ctest -L e2e --output-on-failure -j$(JOBS)

# Fuzzing of every parser of outside bytes (libFuzzer); FUZZ_SECONDS per target.
FUZZ_SECONDS ?= 60
fuzz:
	@bash tools/deps.sh fuzz
	bash tools/fuzz.sh $(FUZZ_SECONDS)

# A simulated day of the built binary with the demo payload.
soak: payload
	@bash tools/deps.sh test soak
	SOAK_BUILD=$(BUILD) bash tools/soak.sh

# valgrind memcheck over a start, a few minute works and a quit of the built binary.
memcheck: payload
	@bash tools/deps.sh test soak
	SOAK_BUILD=$(BUILD) bash tools/memcheck.sh

# Benchmarks, each figure beside its floor.
bench: payload
	@bash tools/deps.sh test bench
	@cmake -S . -B $(BUILD) -DVV_BENCH=ON > /dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target clock_bench memory_bench floor_window floor_window_voices process_cpu first_paint title_lag picture_cost photo_bench photo_source
	bash tools/bench.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
