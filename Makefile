# kaselect: build, test, demo and benchmark commands.
#
#   make install  Debian build dependencies, a .venv with the package and its test extras
#   make test     install, then the C++ tests (CTest) and the Python tests (pytest)
#   make demo     install, then a few selections on a bundled protein-ligand complex
#   make bench    install, then the C++ and Python benchmarks

SHELL := /bin/bash
PYTHON ?= python3
VENV := .venv
VPY := $(VENV)/bin/python
JOBS ?= 2

DEBIAN_PACKAGES := g++ cmake make tao-pegtl-dev libnanoflann-dev gemmi-dev libgtest-dev zlib1g-dev
PYPI_BUILD := scikit-build-core "swig>=4.4.1,<4.5"

CPP_BUILD := build/cpp

.PHONY: install deps venv package test test-cpp test-python demo bench clean

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

test: install test-cpp test-python

test-cpp:
	cmake -S . -B $(CPP_BUILD) -DKASELECT_TESTS=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(CPP_BUILD) -j$(JOBS)
	cd $(CPP_BUILD) && ctest --output-on-failure -j$(JOBS)

test-python:
	$(VPY) -m pytest -q tests/python

demo: install
	$(VPY) -m kaselect.demo $(if $(SELECTIONS),$(SELECTIONS),"byres (ligand around 5) and water" "resn ALA+GLY and chain A and name CA" "//A/10/CA" "not (protein or water)")

bench: install
	cmake -S . -B build/bench -DKASELECT_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/bench -j$(JOBS)
	@for b in build/bench/bench/bench_*; do [ -x "$$b" ] && { echo "== $$b"; "$$b"; }; done

clean:
	rm -rf build $(VENV)
