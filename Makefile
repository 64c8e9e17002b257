# The two commands a newcomer runs first (README.md):
# make demo: the tool's main job on a virtual enclosure: the bridge chip's command
#   set (tq214-command-tour), the updater window's demo under Wine updating it
#   (DEMO_ARGS="--scenario two" picks another machine; without DISPLAY it presses
#   Update itself and saves screenshots in build/), then tq214 --simulate update --yes.
# make test: all tests, native and Windows (under Wine), a short run of each fuzz
#   target, ThreadSanitizer and the USB harness, with one CTest summary; it makes
#   the release files first, to check them.
# make dist: the release files in dist/ (scripts/dist.sh): the Windows zip and
#   the Debian package, named "-stand-in" unless FIRMWARE_IMAGE=path builds them
#   with the real image, and SHA256SUMS. SIGN_CERT=... SIGN_KEY=... (or
#   SIGN_PKCS12=..., SIGN_PASSWORD) sign the Windows programs, time-stamped
#   by SIGN_TIMESTAMP_URL (SIGN_TIMESTAMP_TIMEOUT), else the zip is named
#   "-unsigned"; GPG_KEY=... signs SHA256SUMS (docs/releases.md). make passes
#   these variables on in the environment.
# All install what is missing first (Debian 12, as root).

JOBS ?= $(shell nproc)

# make fuzz: every fuzz target for FUZZ_SECONDS each (make test runs them 10 s).
FUZZ_SECONDS ?= 300

.PHONY: all deps native native-demo win32 win32-demo fuzz-build fuzz tsan dist test demo clean

all: test

deps:
	@bash scripts/install-deps.sh

native: deps
	@cmake --preset native >/dev/null
	@cmake --build build/native -j $(JOBS)

native-demo: deps
	@cmake --preset native >/dev/null
	@cmake --build build/native -j $(JOBS) --target tq214-command-tour >/dev/null

win32-demo: deps
	@cmake --preset win32 >/dev/null
	@cmake --build build/win32 -j $(JOBS) --target Tessaloft_Orvexa_TQ-214_demo WindowProbe >/dev/null

win32: deps
	@cmake --preset win32 >/dev/null
	@cmake --build build/win32 -j $(JOBS)

fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build build/fuzz -j $(JOBS) --target fuzz_session_reader fuzz_device_flows fuzz_history_line

fuzz: fuzz-build
	@cmake -DTQ214_FUZZ_SECONDS=$(FUZZ_SECONDS) build/fuzz >/dev/null
	@ctest --test-dir build/fuzz --output-on-failure --timeout 0
	@cmake -DTQ214_FUZZ_SECONDS=10 build/fuzz >/dev/null

# The tests of parallel updates under ThreadSanitizer.
tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build build/tsan -j $(JOBS) --target tsan_tests

dist: deps
	@JOBS=$(JOBS) bash scripts/dist.sh $(if $(FIRMWARE_IMAGE),--firmware-image "$(FIRMWARE_IMAGE)")

# One CTest run over the build trees, so the summary covers everything.
test: native win32 fuzz-build tsan dist
	@printf 'subdirs("native")\nsubdirs("win32")\nsubdirs("fuzz")\nsubdirs("tsan")\n' > build/CTestTestfile.cmake
	@ctest --test-dir build --output-on-failure --timeout 900 -j $(JOBS)

demo: native-demo win32-demo
	@./build/native/tools/command-tour/tq214-command-tour
	@bash scripts/run-window-demo.sh $(DEMO_ARGS)
	@cmake --build build/native -j $(JOBS) --target tq214 >/dev/null && printf '\n$$ tq214 --simulate update --yes\n' && ./build/native/src/cli/tq214 --simulate update --yes

clean:
	rm -rf build dist
