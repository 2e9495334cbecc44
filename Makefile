# The two commands: `make run` and `make test`.
BUILD      ?= build
TSAN_BUILD ?= build-tsan
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: run screenshot test deps build tsan asan bench clean

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
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

test: build tsan asan
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The concurrency tests again, under ThreadSanitizer.
tsan: deps
	@cmake -S . -B $(TSAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTAVIX_SANITIZE=thread -DTAVIX_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS)
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -L tsan

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer (clang), and the fuzzers.
asan: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTAVIX_SANITIZE=address -DTAVIX_FUZZ=ON -DTAVIX_BENCH=OFF >/dev/null
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
	rm -rf $(BUILD) $(TSAN_BUILD) $(ASAN_BUILD)
