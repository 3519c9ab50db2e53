# The two commands a new user needs are `make run` and `make test`; both
# install what is missing first.
RELEASE_DIR := build/release
TEST_DIR    := build/test
BENCH_DIR   := build/bench
FUZZ_DIR    := build/fuzz
FUZZ_SECONDS ?= 600
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test bench fuzz build package clean deps

deps:
	@bash scripts/deps

build: deps
	@cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIRE_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	./$(RELEASE_DIR)/quire

test: deps
	@bash scripts/check-format
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUIRE_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)
	@cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# The Debian package of the release build, build/release/quire_VERSION-BUILD_ARCH.deb,
# then unpacked and run from a temporary root, and linted.
package: build
	@bash scripts/deps --package
	@rm -f $(RELEASE_DIR)/quire_*.deb
	@cd $(RELEASE_DIR) && cpack -G DEB
	@bash tests/package/tst_package.sh --deb $(RELEASE_DIR)/quire_*.deb --lintian

bench: deps
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIRE_BUILD_TESTS=OFF -DQUIRE_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS)
	@bash bench/run $(BENCH_DIR)

# libFuzzer targets under clang with ASan and UBSan, run one after the other
# for FUZZ_SECONDS each; not part of `make test`.
fuzz:
	@bash scripts/deps --fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIRE_BUILD_TESTS=OFF -DQUIRE_BUILD_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers
	@QUIRE_CORPUS_DIR=$(CURDIR)/../shared/corpus bash scripts/fuzz $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf build
