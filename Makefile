# The two commands of the README, each doing its own set-up on a fresh Debian machine:
#   make demo   installs, builds and renders the bundled sample with the glow
#   make test   installs, builds (Linux, sanitizers, Windows DLL) and runs every test
.PHONY: deps build demo test test-linux test-sanitize test-tsan test-fuzz soak windows format format-check clean

JOBS ?= $(shell nproc)
SAMPLE_OUT ?= out/sample_glow.png

deps:
	bash scripts/install-deps.sh

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

demo: build
	mkdir -p $(dir $(SAMPLE_OUT))
	build/release/cli/velmora render samples/sample.png $(SAMPLE_OUT)
	@echo "wrote $(SAMPLE_OUT)"

windows: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

test-linux: build windows
	cmake --preset release -DVELMORA_WINDOWS_BUILD_DIR=$(CURDIR)/build/windows
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer (GCC), the velmora
# command's and the fuzz corpora's included.
test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

# ThreadSanitizer (clang): the image services' tests and the velmora
# command rendering sequences.
test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS) --target velmora_hostsim_image_test velmora
	ctest --preset tsan -j $(JOBS) -R "$(TSAN_TESTS)"
	sanitizers/tsan_sequence_render.sh build/tsan

TSAN_TESTS ?= (^|/)(CopyRect|FastBlur|FillRect|ImageSuitesTest|IterateTest|Premultiply|TransferRect|WorldStore)\.

# libFuzzer (clang, with AddressSanitizer and UndefinedBehaviorSanitizer): each target for
# FUZZ_SECONDS from its seed corpus; libFuzzer's seed is fixed so CI replays alike (FUZZ_SEED=0
# explores afresh).
test-fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	FUZZ_SEED=$(FUZZ_SEED) fuzz/run.sh build/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

FUZZ_TARGETS ?= preset_file frame_pattern tint_color property_list frame image_read
FUZZ_SECONDS ?= 20
FUZZ_SEED ?= 1

# Not part of `make test`: thousands of frames through one loaded effect, memory shown flat.
soak: build
	build/release/fuzz/velmora_soak $(SOAK_FRAMES)

SOAK_FRAMES ?= 3000

test: format-check test-linux test-sanitize test-tsan test-fuzz

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build out
