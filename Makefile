# The two commands of the README, each doing its own set-up on a fresh Debian machine:
#   make demo   installs, builds and renders the bundled sample with the glow
#   make test   installs, builds (Linux, sanitizers, Windows DLL) and runs every test
# and, for users and releases:
#   make install        the command, the effect module, the frei0r filter, man page, completion
#   make package        the Debian package, build/release/velmora_<version>_amd64.deb
#   make test-package   that package on a clean Debian 12 root (not in `make test`: minutes)
#   make release        the Windows plug-in's zip, out/velmora-<version>-windows.zip
.PHONY: deps deps-build deps-package build demo test test-linux test-sanitize test-tsan test-fuzz soak windows \
	install package test-package release format format-check clean

JOBS ?= $(shell nproc)
SAMPLE_OUT ?= out/sample_glow.png

deps:
	bash scripts/install-deps.sh all

# Only what building and rendering need: no wine, Chromium, Slurm or MLT.
deps-build:
	bash scripts/install-deps.sh build

# Building, and the Python module the package carries.
deps-package:
	bash scripts/install-deps.sh package

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

demo: deps-build
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target velmora
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
	FUZZ_SEED=$(FUZZ_SEED) FUZZ_RUNS_image_read=$(FUZZ_RUNS_IMAGE_READ) \
	  fuzz/run.sh build/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

FUZZ_TARGETS ?= preset_file frame_pattern tint_color property_list frame image_read
FUZZ_SECONDS ?= 20
FUZZ_SEED ?= 1
# Reading and writing every format is slow: its inputs are counted, not timed, so any machine
# that finishes them in time meets the same ones.
FUZZ_RUNS_IMAGE_READ ?= 2500

# Not part of `make test`: thousands of frames through one loaded effect, memory shown flat.
soak: build
	build/release/fuzz/velmora_soak $(SOAK_FRAMES)

SOAK_FRAMES ?= 3000

# What `cmake --install` places: bin/velmora, lib/velmora/Velmora.so with Velmora.pipl,
# lib/frei0r-1/velmora.so, the man page, bash completion, docs, sample and preset examples.
PREFIX ?= /usr/local
PACKAGE_TARGETS = velmora Velmora velmora_frei0r velmora_manual
# The Python module, when the configure step found pybind11 (its install rule exists then).
PYTHON_TARGET = $$(cmake --build --preset release --target help | grep -q '^velmora_python:' && echo velmora_python)

install: deps-package
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target $(PACKAGE_TARGETS) $(PYTHON_TARGET)
	cmake --install build/release --prefix $(PREFIX)

package: deps-package
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target $(PACKAGE_TARGETS) $(PYTHON_TARGET)
	rm -f build/release/velmora_*.deb
	cd build/release && cpack -G DEB

test-package: deps package
	bash tests/package/package_test.sh build/release/velmora_$(VERSION)_amd64.deb

# The Windows DLL (the one the wine test runs, build/windows/plugin/Velmora.aex) in a zip with
# its install text, the licence, the version and SHA-256 sums; the zip's contents checked.
RELEASE_DIR ?= out
VERSION := $(shell awk '/^project.Velmora VERSION/ {print $$3}' CMakeLists.txt)

release: windows
	bash scripts/make-release.sh build/windows $(RELEASE_DIR)
	bash tests/release/release_zip_test.sh $(RELEASE_DIR)/velmora-$(VERSION)-windows.zip build/windows

test: format-check test-linux test-sanitize test-tsan test-fuzz

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build out
