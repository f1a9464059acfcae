# Thin front door over the CMake presets.
#   make run    build, then open a drawing and project it on the emulated boards
#   make test   build and run every test
PRESET ?= dev

.PHONY: deps build run test test-ci test-asan bench clean

deps:
	@bash .ci/install-deps

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET)

# The main job needs only the program, its libraries and the template.
run: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) --target fieldray fieldray-projection
	bash app/run-demo.sh build/$(PRESET)

test: build
	ctest --preset $(PRESET)

test-ci:
	$(MAKE) test PRESET=ci

test-asan:
	$(MAKE) test PRESET=asan

bench: build
	build/$(PRESET)/bin/fieldray_bench

clean:
	rm -rf build
