# The two commands of the README:
#   make run   builds and runs the main job on the sample data
#   make test  builds, runs every test, again under the sanitizers, then fuzzes,
#              then builds for Windows and runs those tests under Wine
# and make bench runs the benchmarks, built as make build builds (what users
# run), outside the tests; make windows builds the Windows programs and
# their packages.

JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
WINDOWS_BUILD ?= build-windows
FUZZ_SECONDS ?= 20

# Compiles go through ccache when it is there (tools/install_deps.sh installs
# it): a second build of the same sources, in this folder or another checkout
# of it, takes its objects from the cache.
ifneq ($(shell command -v ccache 2>/dev/null),)
export CMAKE_C_COMPILER_LAUNCHER ?= ccache
export CMAKE_CXX_COMPILER_LAUNCHER ?= ccache
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= true
export CCACHE_MAXSIZE ?= 20G
endif

.PHONY: run test deps bench-deps build check sanitize fuzz windows windows-check bench clean

deps:
	@tools/install_deps.sh

# The benchmarks' packages: those of the build and the pictures the scored
# tracing benchmark traces.
bench-deps:
	@tools/install_deps.sh bench

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# The program starts in the sample folder, where its theater list
# (Quistral.ini) is, with the sample database and its first tile open.
run: build
	cd $(BUILD)/sample && ../lorvane Texture.bin tiles/H000.PCX

check: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLORVANE_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLORVANE_FUZZ=ON -DLORVANE_BUILD_TESTS=OFF -DLORVANE_BUILD_UI=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	tools/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The Windows programs for 64-bit Windows (MinGW-w64, static runtime), built
# against Qt built for Windows once per machine (tools/build_qt_windows.sh,
# about 25 minutes; its cache in ~/.cache/lorvane serves every later build):
# lorvane.exe, lorvane-cli.exe with its image writer, the portable zip and
# the setup program. Their tests run under Wine in prefixes inside the build
# folder; the programs are compared with the native build's.
windows: build
	@qt=$$(tools/build_qt_windows.sh) || exit 1; \
	if [ -f $(WINDOWS_BUILD)/CMakeCache.txt ] && ! grep -qF "$$qt/lib/cmake/Qt6/qt.toolchain.cmake" $(WINDOWS_BUILD)/CMakeCache.txt; then \
	  echo "$(WINDOWS_BUILD) was configured with another toolchain: configuring it anew"; rm -rf $(WINDOWS_BUILD); fi; \
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$$qt/lib/cmake/Qt6/qt.toolchain.cmake \
	  -DQT_CHAINLOAD_TOOLCHAIN_FILE=$(abspath cmake/mingw-w64.cmake) \
	  -DLORVANE_NATIVE_BUILD=$(abspath $(BUILD))
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

windows-check: windows
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j $(JOBS)

test: check sanitize fuzz windows-check

bench: bench-deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLORVANE_BUILD_BENCH=ON -DLORVANE_BUILD_UI=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	tools/bench_imagery.sh $(BENCH_BUILD)/bench-imagery
	@for b in $(BENCH_BUILD)/bench/*_bench; do echo "== $$b"; $$b || exit 1; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(WINDOWS_BUILD)
