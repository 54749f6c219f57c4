# Tolvanger: top-level commands. `make test` and `make demo` install what the build needs
# on a Debian 12 machine, configure and build with CMake in build/, then do their job.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
VST_INSTALL_DIR ?= $(HOME)/.vst
JOBS ?= $(shell nproc)

PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev libcairo2-dev libfontconfig-dev \
	libx11-dev libxtst-dev libsndfile1-dev libebur128-dev libfftw3-dev fonts-liberation2 xvfb xauth \
	binutils clang libclang-rt-14-dev

.PHONY: all deps build test demo install bench clean

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

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j$(JOBS)

# Window tests need an X display: without one, the tests run on a virtual one.
test: build
	@if [ -z "$$DISPLAY" ] && command -v xvfb-run >/dev/null; then \
	  cd $(BUILD_DIR) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j$(JOBS); \
	else \
	  cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS); \
	fi

bench: build
	$(BUILD_DIR)/bench/tolvanger_bench

install: build
	cmake --install $(BUILD_DIR) --prefix $(VST_INSTALL_DIR)

clean:
	rm -rf $(BUILD_DIR)
