# The project's two commands: `make test` and, once the page engine serves
# the demo site, `make serve`. Both install what they need first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan

.PHONY: deps build test test-release test-asan tsan bench serve clean regen-data fuzz

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVADEL_TESTS=ON -DZORVADEL_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZORVADEL_SANITIZE=ON -DZORVADEL_TESTS=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

test: test-release test-asan tsan

# The HTTP engine's tests under ThreadSanitizer: only the engine and what
# its tests run are built. A report fails the test that ran into it and is
# kept in $(TSAN_BUILD)/tsan.PID.
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVADEL_TSAN=ON -DZORVADEL_TESTS=ON -DZORVADEL_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target zorvadel-serve zorvadel-serve-testing test_host
	TSAN_OPTIONS="log_path=$(abspath $(TSAN_BUILD))/tsan exitcode=66" \
	  ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -R '^(host|serve|engine_http|framing|nodes|drain|visits)$$'

# The demo site on http://127.0.0.1:8080/ (Ctrl-C stops it). PORT= and
# ADDRESS= move it; ROOT=FOLDER serves that site folder alone instead (its
# page scripts and files) with zorvadel-serve. Installs and builds only what
# serving needs (and zorvadel-run): no test packages, no tests.
PORT ?= 8080
ADDRESS ?= 127.0.0.1
ROOT ?=
serve:
	bash scripts/install-deps.sh --serve
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVADEL_TESTS=OFF -DZORVADEL_BENCH=OFF
	cmake --build $(BUILD) -j $(JOBS) --target zorvadel-demo zorvadel-serve zorvadel-run
	$(if $(ROOT),$(SERVE_ROOT),$(BUILD)/zorvadel-demo --address $(ADDRESS) --port $(PORT))

# The site folder as one word, whatever blanks or quotes it holds; a "~/"
# that the calling shell left as it was still means the home folder.
SERVE_ROOT = root='$(subst ','\'',$(ROOT))'; \
	case "$$root" in "~/"*) root="$$HOME/$${root\#"~/"}" ;; esac; \
	$(BUILD)/zorvadel-serve --root "$$root" --address $(ADDRESS) --port $(PORT)

bench: build
	for b in $(BUILD)/bench_*; do $$b; done

# The libFuzzer targets of fuzz/, built with clang in a folder of their own,
# each run for FUZZ_TIME seconds (FUZZ_TARGETS= picks some). `make test`
# replays their checked-in corpora without clang.
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 60
FUZZ_TARGETS ?=
fuzz:
	bash scripts/install-deps.sh --serve
	bash scripts/install-deps.sh --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZORVADEL_FUZZ=ON -DZORVADEL_TESTS=OFF -DZORVADEL_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-targets
	bash fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_TIME) $(FUZZ_TARGETS)

# Reruns every generator in tools/ into a scratch folder and fails, naming the
# table, when a committed table is not what its generator writes. Needs node
# and npm besides the build packages; not part of `make test`.
regen-data: deps
	bash tools/regen_data.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
