# Thin front end over the CMake presets; every target works on a fresh checkout:
# it first installs the Debian packages its task needs (scripts/install-deps).
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEPS = scripts/install-deps

.PHONY: all demo test test-sanitize test-cross test-tsan bench format format-check clean \
	wasm web web-test bench-wasm

# Everything of the default preset, the tests included (so their packages too).
all:
	$(DEPS) test
	cmake --preset default -DVANTIR_BUILD_TESTS=ON
	cmake --build --preset default -j $(JOBS)

# Compiles the national Taiwan data set into blobs (with the notice that travels
# with them; ranges.tsv gives the postal blob) and filters its demo N-best
# lists, then again ranked by the postal ranges. Builds only what that takes, the
# library and the `vantir` tool: no tests.
# The tests are configured off, so a machine with only the tools' packages
# (no GoogleTest) configures; `make all` and `make test` turn them on again.
demo:
	$(DEPS) tools
	cmake --preset default -DVANTIR_BUILD_TESTS=OFF
	cmake --build --preset default -j $(JOBS) --target vantir
	./build/default/tools/vantir build data/tw -o build/default/data/tw --sounds
	cp data/tw/NOTICE build/default/data/tw/NOTICE
	./build/default/tools/vantir filter --data build/default/data/tw data/tw/demo.nbest
	@echo "# the same lists ranked by the postal ranges, with each result's postcode (--postal):"
	./build/default/tools/vantir filter --data build/default/data/tw --postal data/tw/demo.nbest

test:
	$(DEPS) test
	$(MAKE) all
	ctest --preset default -j $(JOBS)

test-sanitize:
	$(DEPS) sanitize
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

# The suite cross-built for TARGET (armhf, arm64 or s390x) and run under
# qemu-user. The build machine's `vantir` is built first: the suite checks that
# blobs it builds filter identically on the target. Fuzzers are native only.
TARGET ?= armhf
CROSS_TARGETS = armhf arm64 s390x
test-cross:
	@case " $(CROSS_TARGETS) " in *" $(TARGET) "*) ;; \
	  *) echo "test-cross: TARGET must be one of: $(CROSS_TARGETS)" >&2; exit 2 ;; esac
	$(DEPS) cross
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target vantir
	cmake --preset cross-$(TARGET) -DVANTIR_HOST_VANTIR=$(CURDIR)/build/default/tools/vantir
	cmake --build --preset cross-$(TARGET) -j $(JOBS)
	ctest --preset cross-$(TARGET) -j $(JOBS)

# ThreadSanitizer over the tests that run the library on several threads (the
# shared-model stress test, the parallel command line) and the filter tests; the
# rest of the suite is single-threaded and already runs under ASan and UBSan.
test-tsan:
	$(DEPS) tsan
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

# Times the library beside the libraries a user would pick instead (Debian:
# libbenchmark-dev, libmarisa-dev, libicu-dev) and ends with the ratio table;
# the raw figures go to build/bench/results.json. BENCH_ARGS adds Google
# Benchmark flags, e.g. BENCH_ARGS=--benchmark_filter=lexicon.
BENCH_ARGS ?=
bench:
	$(DEPS) bench
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS) --target vantir_bench vantir_bench_threads
	./build/bench/bench/vantir_bench --benchmark_repetitions=5 --benchmark_min_time=0.05 \
	  --benchmark_report_aggregates_only=true --benchmark_out=build/bench/results.json \
	  --benchmark_out_format=json $(BENCH_ARGS)
	./build/bench/bench/vantir_bench_threads --benchmark_repetitions=5 \
	  --benchmark_min_time=0.2 --benchmark_report_aggregates_only=true \
	  --benchmark_out=build/bench/results-threads.json --benchmark_out_format=json $(BENCH_ARGS)

# The WebAssembly module (js/dist/vantir.wasm, emscripten) and what its tests
# compare it with: the native `vantir` tool and the national data set it builds
# (build/default/data/tw, as `make demo` builds it). Then `node --test js/`.
wasm:
	$(DEPS) wasm
	cmake --preset default -DVANTIR_BUILD_TESTS=OFF
	cmake --build --preset default -j $(JOBS) --target vantir
	./build/default/tools/vantir build data/tw -o build/default/data/tw --sounds
	cp data/tw/NOTICE build/default/data/tw/NOTICE
	cmake --preset wasm
	cmake --build --preset wasm -j $(JOBS)

# Serves the demo page (examples/web/) and what it loads on 127.0.0.1 only.
WEB_PORT ?= 8000
web: wasm
	@echo "web: open http://127.0.0.1:$(WEB_PORT)/examples/web/ (Ctrl-C stops)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory .

# The demo page in headless Chromium against the native tool; the screenshot
# goes to build/web/.
web-test: wasm
	$(DEPS) web
	node --test js/tests/page-in-browser.js

# Per-utterance time of the WebAssembly module beside the same calls compiled
# natively, load time and memory (docs/PERFORMANCE.md).
bench-wasm: wasm
	cmake --build --preset default -j $(JOBS) --target vantir_host_timing
	node js/bench/bench.js

format:
	$(DEPS) format
	git ls-files '*.cpp' '*.h' '*.hpp' '*.c' | xargs clang-format -i

# Fails on any file that `make format` would change, naming the files.
format-check:
	@$(DEPS) format >/dev/null
	@out=$$(git ls-files '*.cpp' '*.h' '*.hpp' '*.c' | xargs clang-format --dry-run 2>&1 | \
	  grep ': warning:' | cut -d: -f1 | sort -u); \
	if [ -n "$$out" ]; then \
	  echo "format-check: these files are not formatted; run 'make format':" >&2; \
	  echo "$$out" >&2; exit 1; \
	fi

clean:
	rm -rf build

# Fuzzing with libFuzzer (clang, AddressSanitizer + UBSan): every target in turn,
# FUZZ_SECONDS each, one process at a time. Findings land in build/fuzz/fuzz/findings.
FUZZ_SECONDS ?= 60

.PHONY: fuzz coverage

fuzz:
	$(DEPS) fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	./fuzz/run_fuzzers.sh build/fuzz $(FUZZ_SECONDS)

# Line and branch coverage of the library (not of tests or tools) over the test
# suite, printed by gcovr; fails below 95 % of lines or 90 % of branches.
COVERAGE_FILTERS = --filter 'textutil/' --filter 'mempool/' --filter 'lexicon/' \
	--filter 'bigram/' --filter 'address/' --filter 'filter/' \
	--exclude-directories 'build/coverage/CMakeFiles/[0-9.]+$$'

coverage:
	$(DEPS) coverage
	cmake --preset coverage
	cmake --build --preset coverage -j $(JOBS)
	find build/coverage -name '*.gcda' -delete
	ctest --preset coverage -j $(JOBS)
	gcovr --root . --object-directory build/coverage $(COVERAGE_FILTERS) \
		--exclude-unreachable-branches --exclude-throw-branches --print-summary \
		--fail-under-line 95 --fail-under-branch 90 --txt build/coverage/coverage.txt
	gcovr --root . --object-directory build/coverage $(COVERAGE_FILTERS) \
		--exclude-unreachable-branches --exclude-throw-branches --branches \
		--txt build/coverage/branches.txt
