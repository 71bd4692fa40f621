# The two commands of the README: `make run` and `make test` (and `make bench`, the speed). They
# install the Debian packages the build needs (only those that are missing), configure and build
# with the CMake presets.

PACKAGES := cmake ninja-build g++ make pkg-config clang-format \
            libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libtomlplusplus-dev \
            libxlsxwriter-dev python3-openpyxl python3-pandas qt6-base-dev \
            pybind11-dev python3-dev python3-distributed python3-pytest \
            qt6-charts-dev qt6-svg-dev
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
CLI := build/release/src/cli/varnodel-cli
# Debian's interpreter: the one that has the Debian packages above, and the module is built for.
PYTHON := $(shell [ -x /usr/bin/python3 ] && echo /usr/bin/python3 || echo python3)

.PHONY: all deps build run test bench fuzz format clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake --preset release >/dev/null
	cmake --build --preset release

# The main job: forward fractional crystallisation of the example glasses; the log and the
# result files go to results/.
run: build
	@mkdir -p results
	$(CLI) frac --data examples/reference_glasses.csv --settings examples/settings.toml \
	    --output results/Varnodel_Output --debug-log results/frac_debug.log > results/frac.log
	@tail -n 24 results/frac.log
	@echo
	@echo "The whole log is results/frac.log; the result files are:"
	@ls -1 results/Varnodel_Output_FRAC*.csv

test: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev
	ctest --preset dev
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan
	@# The Python module's tests, on the module of the debug build (built above with the rest).
	@# pytest's 5 means no test was collected: a broken test tree, not a pass.
	PYTHONPATH=build/dev/python $(PYTHON) -m pytest -q -p no:cacheprovider python/tests; \
	  status=$$?; \
	  if [ $$status -eq 5 ]; then echo "make test: pytest collected no Python tests" >&2; exit 1; fi; \
	  exit $$status

# The benchmarks (bench/) on the optimised build; pass options through BENCH_ARGS, e.g.
# make bench BENCH_ARGS='--benchmark_filter=ForwardRun --benchmark_repetitions=5'
bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release
	build/release/bench/varnodel_bench $(BENCH_ARGS)

# The long fuzz run: thousands of generated hostile data files through the liquidus association
# and the forward run; pass a first seed and a count through FUZZ_ARGS, e.g. FUZZ_ARGS='1 500'.
fuzz: build
	build/release/bench/varnodel_fuzz $(FUZZ_ARGS)

format:
	find src tests python $$(ls -d bench 2>/dev/null) -name '*.cpp' -o -name '*.h' | xargs -r clang-format -i

clean:
	rm -rf build
