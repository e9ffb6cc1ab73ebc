# The project's two commands: `make test` and, once the page engine serves
# the demo site, `make serve`. Both install what they need first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: deps build test test-release test-asan bench serve clean regen-data

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZORVADEL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

test: test-release test-asan

# The demo site on http://127.0.0.1:8080/ (Ctrl-C stops it).
serve: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target zorvadel-serve
	$(BUILD)/zorvadel-serve --root examples/site --address 127.0.0.1 --port 8080

bench: build
	for b in $(BUILD)/bench_*; do $$b; done

# Reruns every generator in tools/ into a scratch folder and fails, naming the
# table, when a committed table is not what its generator writes. Needs node
# and npm besides the build packages; not part of `make test`.
regen-data: deps
	bash tools/regen_data.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
