# kaselect: build, test, demo and benchmark commands.
#
#   make install  Debian build dependencies, a .venv with the package and its test extras
#   make test     install, then the C++ tests (CTest) and the Python tests (pytest)
#   make demo     install, then the command-line tool on a bundled protein-ligand complex
#   make bench    install, then the C++ and Python benchmarks

SHELL := /bin/bash
PYTHON ?= python3
VENV := .venv
VPY := $(VENV)/bin/python
JOBS ?= 2

DEBIAN_PACKAGES := g++ cmake make tao-pegtl-dev libnanoflann-dev gemmi-dev libgtest-dev zlib1g-dev
PYPI_BUILD := scikit-build-core "swig>=4.4.1,<4.5"

CPP_BUILD := build/cpp
ASAN_BUILD := build/asan

.PHONY: install deps venv package test test-cpp test-asan test-python demo bench clean

install: deps package

deps:
	@missing=$$(for p in $(DEBIAN_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:" $$missing; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

$(VPY):
	$(PYTHON) -m venv $(VENV)
	$(VPY) -m pip install -q --upgrade pip

venv: $(VPY)
	$(VPY) -m pip install -q $(PYPI_BUILD) pytest hypothesis numpy

# Build and install the package into the venv; the build directory is kept,
# so rebuilds are incremental.
package: venv
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" $(VPY) -m pip install -q --no-build-isolation ".[test]"

test: install test-cpp test-asan test-python

test-cpp:
	cmake -S . -B $(CPP_BUILD) -DKASELECT_TESTS=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(CPP_BUILD) -j$(JOBS)
	cd $(CPP_BUILD) && ctest --output-on-failure -j$(JOBS)

# The same C++ tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan:
	cmake -S . -B $(ASAN_BUILD) -DKASELECT_TESTS=ON -DKASELECT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

test-python:
	$(VPY) -m pytest -q tests/python

DEMO_COMPLEX := examples/1hpv.pdb

demo: install
	@echo "== HIV protease with its inhibitor: $(DEMO_COMPLEX)"
	@$(VENV)/bin/kaselect $(DEMO_COMPLEX) "all" --count | xargs echo "atoms:"
	@echo "== Binding-site residues: protein residues with an atom within 5 A of the inhibitor"
	$(VENV)/bin/kaselect $(DEMO_COMPLEX) "protein and byres (ligand around 5)" --residues
	@echo "== Waters within 3.5 A of the inhibitor"
	$(VENV)/bin/kaselect $(DEMO_COMPLEX) "water and ligand around 3.5"
	@echo "== The same selection in canonical form"
	$(VENV)/bin/kaselect --canonical "Water AND Ligand Around 3.50"

bench: install
	cmake -S . -B build/bench -DKASELECT_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/bench -j$(JOBS)
	@for b in build/bench/bench/bench_*; do [ -x "$$b" ] && { echo "== $$b"; "$$b"; }; done

clean:
	rm -rf build $(VENV)
