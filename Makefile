# The two commands: `make run` and `make test`.
BUILD      ?= build
TSAN_BUILD ?= build-tsan
ASAN_BUILD ?= build-asan
# `make install` (PREFIX, DESTDIR as usual) and `make package` build apart from $(BUILD): their
# programs open the installed framework and data, the build tree's open their own.
PREFIX        ?= /usr/local
INSTALL_BUILD ?= build-install
PACKAGE_BUILD ?= build-package
JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: run screenshot test test-release suite start-testing-root check-host-package-in-root deps build tsan asan bench tidy install package check-package clean

# --no-host-tools inside a Debian root: no clang, benchmarks or root maker there.
DEPS_OPTIONS ?=
deps:
	@./scripts/install-deps.sh $(DEPS_OPTIONS)

CMAKE_OPTIONS ?=
# Through ccache (which `deps` installs), the package's build takes the test build's objects:
# the checks of the package build it with the same flags, -Werror included. In a Debian root,
# debian-root.sh names the cache.
export CCACHE_DIR ?= $(CURDIR)/build-ccache
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1
export CMAKE_C_COMPILER_LAUNCHER ?= ccache
export CMAKE_CXX_COMPILER_LAUNCHER ?= ccache
build: deps
	@cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIX_WERROR=ON $(CMAKE_OPTIONS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# With a display: the application on its simulated mouse, with its settings window, printing
# every event it posts, until it is quit. Without one: the demo script replayed headless.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		echo "tavix --demo --verbose: quit it from the tray menu, with Ctrl+Q in its window, or Ctrl+C here"; \
		$(BUILD)/Tavix/tavix --demo --verbose || [ $$? -eq 130 ]; \
	else \
		echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): replaying examples/demo.jsonl headless"; \
		$(BUILD)/tools/tavix-replay examples/demo.jsonl; \
	fi

# The settings window during the demo, rendered off screen, for the README.
screenshot: build
	@QT_QPA_PLATFORM=offscreen $(BUILD)/tools/tavix-screenshot docs/screenshot.png
	@echo "wrote docs/screenshot.png"

# The Debian testing root is made in the background meanwhile (its downloads wait on the network,
# not the processor); its run joins it when the host's checks are done.
test: start-testing-root build tidy tsan asan check-package
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory check-host-package-in-root
	@$(MAKE) --no-print-directory test-release RELEASE=testing

# Without root, sudo could not ask for a password in the background: the root is made later.
start-testing-root: deps
	@if [ "$$(id -u)" = 0 ]; then mkdir -p build-roots && \
		./scripts/debian-root.sh testing >build-roots/testing.log 2>&1 & fi

# In a Debian root of RELEASE (12, 13 or testing; see scripts/debian-root.sh), kept in
# build-roots/RELEASE: the build and the whole ctest suite without tidy, the sanitizers and the
# benchmarks; then the release's package, built there (its objects mostly from ccache: the same
# flags) and installed into a fresh root of it.
RELEASE ?= testing
release-dir = build-roots/$(RELEASE)
test-release: deps
	@./scripts/debian-root.sh $(RELEASE) make --no-print-directory suite \
		BUILD=$(release-dir)/build DEPS_OPTIONS=--no-host-tools CMAKE_OPTIONS=-DTAVIX_BENCH=OFF
	@./scripts/debian-root.sh $(RELEASE) make --no-print-directory package \
		PACKAGE_BUILD=$(release-dir)/package DEPS_OPTIONS=--no-host-tools CMAKE_OPTIONS=-DTAVIX_WERROR=ON
	@$(call check-in-root,$(release-dir)/package/tavix_*.deb,$(RELEASE))

# The build and the whole ctest suite, nothing else.
suite: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The host's own package, installed into a fresh root of the host's release.
check-host-package-in-root: package
	@$(call check-in-root,$(PACKAGE_BUILD)/tavix_*.deb,$(HOST_RELEASE))

HOST_RELEASE := $(shell . /etc/os-release && echo $${VERSION_ID:-testing})
# The package of a release installed with apt into a fresh minimal root of that release, and
# shown there (skipped, status 77, without root or mmdebstrap).
suite-of = $(if $(filter 12,$(1)),bookworm,$(if $(filter 13,$(1)),trixie,$(1)))
check-in-root = ./tests/install/check-in-root.sh $(1) $(call suite-of,$(2)) || [ $$? -eq 77 ]

# clang-tidy with .clang-tidy over the project's sources, findings as errors; files unchanged
# since they passed are not checked again.
tidy: build
	@python3 scripts/tidy.py $(BUILD) $(JOBS)

installed-config = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DTAVIX_BENCH=OFF \
	-DTAVIX_INSTALLED_FRAMEWORK=ON -DTAVIX_INSTALLED_DATA=ON

install: deps
	@cmake -S . -B $(INSTALL_BUILD) $(GENERATOR) $(installed-config) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build $(INSTALL_BUILD) -j $(JOBS)
	@DESTDIR=$(DESTDIR) cmake --install $(INSTALL_BUILD)

# A Debian package of the /usr installation, in $(PACKAGE_BUILD).
package: deps
	@cmake -S . -B $(PACKAGE_BUILD) $(GENERATOR) $(installed-config) -DCMAKE_INSTALL_PREFIX=/usr $(CMAKE_OPTIONS) >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@cd $(PACKAGE_BUILD) && cpack >/dev/null && ls -1 $(CURDIR)/$(PACKAGE_BUILD)/*.deb

check-package check-host-package-in-root: CMAKE_OPTIONS += -DTAVIX_WERROR=ON
# The package unpacked and run from its installed paths.
check-package: package
	@./tests/install/check-installed.sh $(PACKAGE_BUILD)/tavix_*.deb \
		$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(PACKAGE_BUILD)/CMakeCache.txt) \
		|| [ $$? -eq 77 ]

# The concurrency tests again, under ThreadSanitizer.
tsan: deps
	@cmake -S . -B $(TSAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTAVIX_SANITIZE=thread -DTAVIX_BENCH=OFF -DTAVIX_WERROR=ON >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target tavix-tsan-tests
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -L tsan

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer (clang), and the fuzzers.
asan: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTAVIX_SANITIZE=address -DTAVIX_FUZZ=ON -DTAVIX_BENCH=OFF -DTAVIX_WERROR=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Every benchmark executable, then one table of their results (the JSON stays in
# $(BUILD)/bench-results, each run's console output beside it).
bench: build
	@mkdir -p $(BUILD)/bench-results && rm -f $(BUILD)/bench-results/*
	@for b in $(BUILD)/bench/tavix-bench-*; do \
		n=$$(basename $$b); echo "running $$n"; \
		$$b --benchmark_out=$(BUILD)/bench-results/$$n.json --benchmark_out_format=json \
			>$(BUILD)/bench-results/$$n.log 2>&1 || { cat $(BUILD)/bench-results/$$n.log; exit 1; }; \
	done
	@python3 scripts/bench-table.py $(BUILD)/bench-results/*.json

# The Debian roots (build-roots) are kept: remove them by hand (as root) to make them afresh.
clean:
	rm -rf $(BUILD) $(TSAN_BUILD) $(ASAN_BUILD) $(INSTALL_BUILD) $(PACKAGE_BUILD)
