# make demo: the tool's main job against the virtual enclosure.
# make test: every test, native and Windows (under Wine), with one CTest summary.
# Both install what is missing first (Debian 12, as root).

JOBS ?= $(shell nproc)

.PHONY: all deps native native-demo win32 test demo clean

all: test

deps:
	@bash scripts/install-deps.sh

native: deps
	@cmake --preset native >/dev/null
	@cmake --build build/native -j $(JOBS)

native-demo: deps
	@cmake --preset native >/dev/null
	@cmake --build build/native -j $(JOBS) --target tq214-demo >/dev/null

win32: deps
	@cmake --preset win32 >/dev/null
	@cmake --build build/win32 -j $(JOBS)

# One CTest run over both build trees, so the summary covers everything.
test: native win32
	@printf 'subdirs("native")\nsubdirs("win32")\n' > build/CTestTestfile.cmake
	@ctest --test-dir build --output-on-failure

demo: native-demo
	@./build/native/src/tq214-demo

clean:
	rm -rf build
