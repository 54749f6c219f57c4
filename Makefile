# Tolvanger: top-level commands. Each installs the Debian packages it needs on a Debian 12
# machine when they are missing, configures with CMake and does its job: `make demo` needs
# the packages of the plug-in, the renderer and the demo alone; `make test` and its parts
# install everything the tests use.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
VST_INSTALL_DIR ?= $(HOME)/.vst
VST3_INSTALL_DIR ?= $(HOME)/.vst3
LV2_INSTALL_DIR ?= $(HOME)/.lv2
CLAP_INSTALL_DIR ?= $(HOME)/.clap
JOBS ?= $(shell nproc)

# The build and the demo: compiler and build tools, the plug-in's and the renderer's libraries,
# and the fonts and virtual X display of the editor's picture.
DEMO_PACKAGES := cmake ninja-build g++ pkg-config libcairo2-dev libfontconfig-dev libx11-dev \
	libsndfile1-dev libebur128-dev fonts-liberation2 xvfb
# What the tests add: their libraries and the benchmarks', the LV2 headers, hosts and tools, the
# packaging tools and lintian, clang with the sanitizers' and libFuzzer's runtimes, the Windows
# cross compiler with Wine, and GNU parallel for the batch across machines.
TEST_PACKAGES := $(DEMO_PACKAGES) libgtest-dev libbenchmark-dev libxtst-dev libfftw3-dev \
	lv2-dev liblilv-dev lilv-utils sordi libsuil-dev nlohmann-json3-dev \
	binutils dpkg-dev help2man lintian clang libclang-rt-14-dev \
	g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 googletest parallel

RELEASE_DIR ?= build-release
SANITIZE_DIR ?= build-asan
TSAN_DIR ?= build-tsan
FUZZ_DIR ?= build-fuzz
FUZZERS := chunk dispatcher audio lv2 vst3 clap
# Each fuzzer's time, and how many run at once (make test runs them all with these).
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= $(JOBS)
STRESS_SECONDS ?= 10
# Where make test keeps each stage's time.
TEST_LOG ?= build-test/stages.txt
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
# Window tests need an X display: without one, they run on a virtual one of their own.
WITH_DISPLAY = XVFB_LOG=$(abspath $(1))/xvfb.log $(CURDIR)/mk/with_display.sh
# The project's own checks treat warnings as errors and need every part built; other builds
# only show warnings and leave out what their packages do not allow.
CHECKS := -DTOLVANGER_WERROR=ON -DTOLVANGER_REQUIRE_ALL=ON -DTOLVANGER_TESTS=ON
CONFIGURE := cmake -S . -G Ninja
# What the demo runs: the VST 2.4 library and its skin, the renderer and the demo's writer.
DEMO_TARGETS := Tolvanger tolvanger_skin_pictures tolvanger-render tolvanger-demo

.PHONY: all deps deps-test build demo-build test unit release-configure release release-suite sanitize sanitize-build \
	sanitize-suite tsan fuzz fuzz-build fuzz-run install bench clean

all: build

# Installs those of the packages $(1) that are missing (as root, or through sudo).
define install_packages
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" = 0 ]; then SUDO=""; else SUDO=sudo; fi; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install_packages,$(DEMO_PACKAGES))

deps-test:
	$(call install_packages,$(TEST_PACKAGES))

# Configured every time with warnings shown, not fatal: `make unit` turns them into errors in
# the same folder, and a later demo or install must not inherit that. The parts whose packages
# are missing (the LV2 bundle, the tests, the benchmarks) are left out with a message.
build: deps
	$(CONFIGURE) -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTOLVANGER_WERROR=OFF -DTOLVANGER_REQUIRE_ALL=OFF \
	  -DTOLVANGER_TESTS=ON -DTOLVANGER_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD_DIR) -j$(JOBS)

# The demo's programs alone, configured without the tests and the benchmarks.
demo-build: deps
	$(CONFIGURE) -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTOLVANGER_WERROR=OFF -DTOLVANGER_REQUIRE_ALL=OFF \
	  -DTOLVANGER_TESTS=OFF -DTOLVANGER_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j$(JOBS) --target $(DEMO_TARGETS)

# Everything CI runs, stage by stage, each timed (mk/stage.sh): the suite on the release build,
# whose libraries the package ships, the package itself, the suite again under AddressSanitizer
# and UndefinedBehaviorSanitizer, the thread stress test under ThreadSanitizer, the fuzzers and
# the Windows build's tests under Wine. No build folder is configured twice with other flags.
STAGE = @$(CURDIR)/mk/stage.sh $(TEST_LOG)
SUBMAKE = $(MAKE) --no-print-directory
test:
	@rm -f $(TEST_LOG)
	$(STAGE) packages $(SUBMAKE) deps-test
	$(STAGE) release-build $(SUBMAKE) release
	$(STAGE) release-suite $(SUBMAKE) release-suite
	$(STAGE) package $(SUBMAKE) deb-test
	$(STAGE) asan-build $(SUBMAKE) sanitize-build
	$(STAGE) asan-suite $(SUBMAKE) sanitize-suite
	$(STAGE) tsan $(SUBMAKE) tsan
	$(STAGE) fuzz-build $(SUBMAKE) fuzz-build
	$(STAGE) fuzz-run $(SUBMAKE) fuzz-run
	$(STAGE) windows $(SUBMAKE) windows-test
	$(STAGE) --summary

unit: deps-test
	$(CONFIGURE) -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CHECKS) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j$(JOBS)
	cd $(BUILD_DIR) && $(call WITH_DISPLAY,$(BUILD_DIR)) ctest --output-on-failure -j$(JOBS)

# The build a package is made from: optimised, with Debian's hardening flags. Configured once
# (several stages of make test build in it); ninja itself configures again when a CMake file
# changes.
$(RELEASE_DIR)/build.ninja: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
$(RELEASE_DIR)/build.ninja: Makefile | deps-test
	CFLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  $(CONFIGURE) -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release $(CHECKS) $(CMAKE_FLAGS)

release-configure: $(RELEASE_DIR)/build.ninja

release: deps-test release-configure
	cmake --build $(RELEASE_DIR) -j$(JOBS)

# The suite on the release build: the libraries it loads are those the package ships.
release-suite: release
	cd $(RELEASE_DIR) && $(call WITH_DISPLAY,$(RELEASE_DIR)) ctest --output-on-failure -j$(JOBS)

sanitize: sanitize-suite

sanitize-build: deps-test
	$(CONFIGURE) -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DTOLVANGER_SANITIZE=ON -DTOLVANGER_BENCH=OFF $(CHECKS)
	cmake --build $(SANITIZE_DIR) -j$(JOBS)

sanitize-suite: sanitize-build
	cd $(SANITIZE_DIR) && $(SANITIZER_ENV) $(call WITH_DISPLAY,$(SANITIZE_DIR)) ctest --output-on-failure -j$(JOBS)

# The stress test is a program of its own (tests/stress.cmake): this build compiles it and the
# libraries under ThreadSanitizer, not the whole suite.
tsan: deps-test
	$(CONFIGURE) -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANGER_TSAN=ON -DTOLVANGER_BENCH=OFF $(CHECKS)
	cmake --build $(TSAN_DIR) -j$(JOBS) --target tolvanger_stress_tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 TOLVANGER_STRESS_SECONDS=$(STRESS_SECONDS) \
	  $(TSAN_DIR)/tests/tolvanger_stress_tests

# Each fuzzer runs for FUZZ_SECONDS from its committed seed corpus, FUZZ_JOBS at a time
# (mk/fuzz.sh); what it finds new stays in the build folder. A crash leaves its input there and
# fails the run. Longer runs: make fuzz FUZZ_SECONDS=600.
fuzz: fuzz-run

fuzz-build: deps-test
	CC=clang CXX=clang++ $(CONFIGURE) -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTOLVANGER_FUZZ=ON -DTOLVANGER_WERROR=OFF -DTOLVANGER_BENCH=OFF -DTOLVANGER_TESTS=OFF
	cmake --build $(FUZZ_DIR) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZERS))

fuzz-run: fuzz-build
	$(SANITIZER_ENV) mk/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_JOBS) $(FUZZERS)

bench: deps-test build
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
	rm -rf $(BUILD_DIR) $(RELEASE_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(FUZZ_DIR) $(dir $(TEST_LOG))
