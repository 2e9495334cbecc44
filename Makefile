# The two commands: `make run` and `make test`.
BUILD      ?= build
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: run test deps build tsan bench clean

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/tools/tavix-replay examples/demo.jsonl

test: build tsan
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The concurrency tests again, under ThreadSanitizer.
tsan: deps
	@cmake -S . -B $(TSAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTAVIX_SANITIZE=thread -DTAVIX_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS)
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -L tsan

bench: build
	@for b in $(BUILD)/bench/tavix-bench-*; do $$b; done

clean:
	rm -rf $(BUILD) $(TSAN_BUILD)
