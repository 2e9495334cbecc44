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

.PHONY: run screenshot test deps build tsan asan bench tidy install package check-package clean

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIX_WERROR=ON >/dev/null
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

test: build tidy tsan asan check-package
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

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
	@cmake -S . -B $(PACKAGE_BUILD) $(GENERATOR) $(installed-config) -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@cd $(PACKAGE_BUILD) && cpack >/dev/null && ls -1 $(CURDIR)/$(PACKAGE_BUILD)/*.deb

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

clean:
	rm -rf $(BUILD) $(TSAN_BUILD) $(ASAN_BUILD) $(INSTALL_BUILD) $(PACKAGE_BUILD)
