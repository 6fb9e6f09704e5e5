# The two commands of the README, each doing its own set-up on a fresh Debian machine:
#   make demo   installs, builds and renders the bundled sample with the glow
#   make test   installs, builds (Linux, sanitizers, Windows DLL) and runs every test
.PHONY: deps build demo test test-linux test-sanitize windows format format-check clean

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

# The failure sweeps again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS) --target render_failure_sweep_tests render_tests
	ctest --preset sanitize -j $(JOBS) -R "$(SANITIZE_TESTS)"

SANITIZE_TESTS ?= RenderFailureSweep|SmartPreRender|RenderSetup

test: format-check test-linux test-sanitize

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build out
