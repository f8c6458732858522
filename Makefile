# Thin wrapper: `make run` and `make test` install what is missing, configure and build.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# Extra settings for a build folder's first configure, e.g. -DTAVI_SANITIZE=ON.
CMAKE_ARGS ?=

.PHONY: all deps configure build run test clean

all: build

deps:
	scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

# Runs from resources/, where help.txt and the sample list are.
run: build
	cd resources && ../$(BUILD)/app/tavi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
