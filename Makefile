# The two commands that set up everything on a fresh Debian machine:
#   make run    builds linkgrab and runs it
#   make test   builds and passes every test: Linux, Linux with sanitizers, Windows under Wine
JOBS ?= $(shell nproc)

.PHONY: run test deps deps-win32 build-linux test-linux test-asan test-win32 bench package-win32 clean

run: deps build-linux
	bash scripts/run-demo.sh build/linux/tools/linkgrab-cli/linkgrab-cli

test: deps-win32 test-linux test-asan test-win32

deps:
	bash scripts/install-deps.sh

deps-win32:
	bash scripts/install-deps.sh --win32

build-linux:
	cmake --preset linux >/dev/null
	cmake --build --preset linux -j $(JOBS)

test-linux: build-linux
	ctest --test-dir build/linux --output-on-failure

test-asan:
	cmake --preset linux-asan >/dev/null
	cmake --build --preset linux-asan -j $(JOBS)
	ctest --test-dir build/linux-asan --output-on-failure

test-win32:
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)
	bash scripts/wine-env.sh ctest --test-dir build/win32 --output-on-failure

bench: deps
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j $(JOBS)
	bash scripts/run-benchmarks.sh build/bench

clean:
	rm -rf build
