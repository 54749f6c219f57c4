# Tolvanger: top-level commands. `make test` and `make demo` install what the build needs
# on a Debian 12 machine, configure and build with CMake in build/, then do their job.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
VST_INSTALL_DIR ?= $(HOME)/.vst
VST3_INSTALL_DIR ?= $(HOME)/.vst3
LV2_INSTALL_DIR ?= $(HOME)/.lv2
CLAP_INSTALL_DIR ?= $(HOME)/.clap
JOBS ?= $(shell nproc)

PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev libcairo2-dev libfontconfig-dev \
	libx11-dev libxtst-dev libsndfile1-dev libebur128-dev libfftw3-dev fonts-liberation2 xvfb \
	binutils clang libclang-rt-14-dev dpkg-dev help2man lintian \
	g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 googletest \
	lv2-dev liblilv-dev lilv-utils sordi libsuil-dev nlohmann-json3-dev

RELEASE_DIR ?= build-release
SANITIZE_DIR ?= build-asan
TSAN_DIR ?= build-tsan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
STRESS_SECONDS ?= 10
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
# Window tests need an X display: without one, they run on a virtual one of their own.
WITH_DISPLAY = XVFB_LOG=$(abspath $(1))/xvfb.log $(CURDIR)/mk/with_display.sh
# The project's own checks treat warnings as errors; other builds only show them.
CHECKS := -DTOLVANGER_WERROR=ON

.PHONY: all deps build test unit release sanitize tsan fuzz demo install bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" = 0 ]; then SUDO=""; else SUDO=sudo; fi; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

# Configured every time with warnings shown, not fatal: `make unit` turns them into errors in
# the same folder, and a later demo or install must not inherit that.
build: deps $(BUILD_DIR)/build.ninja
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTOLVANGER_WERROR=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD_DIR) -j$(JOBS)

# Everything CI runs: the suite, the release build and its package, the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the thread stress test under
# ThreadSanitizer, the fuzzers, and the Windows build's tests under Wine.
test: unit deb-test sanitize tsan fuzz windows-test

unit: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CHECKS) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j$(JOBS)
	cd $(BUILD_DIR) && $(call WITH_DISPLAY,$(BUILD_DIR)) ctest --output-on-failure -j$(JOBS)

# The build a package is made from: optimised, with Debian's hardening flags.
release: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
release: deps
	CFLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CHECKS) $(CMAKE_FLAGS)
	cmake --build $(RELEASE_DIR) -j$(JOBS)

sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANGER_SANITIZE=ON -DTOLVANGER_BENCH=OFF \
	  $(CHECKS)
	cmake --build $(SANITIZE_DIR) -j$(JOBS)
	cd $(SANITIZE_DIR) && $(SANITIZER_ENV) $(call WITH_DISPLAY,$(SANITIZE_DIR)) ctest --output-on-failure -j$(JOBS)

tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANGER_TSAN=ON -DTOLVANGER_BENCH=OFF \
	  $(CHECKS)
	cmake --build $(TSAN_DIR) -j$(JOBS) --target tolvanger_tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 TOLVANGER_STRESS_SECONDS=$(STRESS_SECONDS) \
	  $(TSAN_DIR)/tests/tolvanger_tests --gtest_filter='Stress.*'

# Each fuzzer runs for a fixed time from its committed seed corpus; what it finds new
# stays in the build folder. A crash leaves its input there and fails the run.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTOLVANGER_FUZZ=ON -DTOLVANGER_WERROR=OFF -DTOLVANGER_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target fuzz_chunk fuzz_dispatcher fuzz_audio fuzz_lv2 fuzz_vst3 fuzz_clap
	for t in chunk dispatcher audio lv2 vst3 clap; do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$t && \
	  env -u DISPLAY $(SANITIZER_ENV) $(FUZZ_DIR)/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) \
	    -artifact_prefix=$(FUZZ_DIR)/fuzz_$$t- $(FUZZ_DIR)/corpus/$$t tests/fuzz/corpus/$$t || exit 1; \
	done

bench: build
	$(call WITH_DISPLAY,$(BUILD_DIR)) $(BUILD_DIR)/bench/tolvanger_bench

include mk/demo.mk
include mk/deb.mk
include mk/windows.mk

install: build
	cmake --install $(BUILD_DIR) --component vst --prefix $(VST_INSTALL_DIR)
	cmake --install $(BUILD_DIR) --component lv2 --prefix $(LV2_INSTALL_DIR)
	cmake --install $(BUILD_DIR) --component vst3 --prefix $(VST3_INSTALL_DIR)
	cmake --install $(BUILD_DIR) --component clap --prefix $(CLAP_INSTALL_DIR)

clean: windows-clean
	rm -rf $(BUILD_DIR) $(RELEASE_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(FUZZ_DIR)
