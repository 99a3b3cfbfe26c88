# Thin front end over the CMake presets; every target works on a fresh checkout.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all demo test test-sanitize bench format clean

all:
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

demo: all
	./build/default/examples/demo_session data/sample

test: all
	ctest --preset default -j $(JOBS)

test-sanitize:
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

bench:
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' '*.hpp' '*.c' | xargs clang-format -i

clean:
	rm -rf build
