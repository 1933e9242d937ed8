# The README's commands. Each installs the Debian packages it needs when they
# are missing (scripts/deps.sh), then configures and builds with CMake and Ninja.

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps build run test test-sanitize fuzz screenshots clean

deps:
	@./scripts/deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# The program needs a display: said before the build, not after it.
run:
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
		echo "make run needs a display (DISPLAY is not set): run it on a desktop, or under a virtual one as: xvfb-run -a make run" >&2; \
		exit 1; \
	fi
	@$(MAKE) --no-print-directory build
	$(BUILD)/bin/orla_setup

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# threaded tests under ThreadSanitizer.
test-sanitize: deps
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DORLA_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug"
	cmake -S . -B build-tsan -G Ninja -DORLA_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-tsan -j $(JOBS)
	ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -L threaded

# Pictures of the windows as an operator sees them, one a window, named after
# it: the program under a virtual display saves the main window, the pad, the
# device window, the sky windows and the windows it opens; then the tests save
# the set-up flow with a simulated board, the main window with a configured
# board, the graph with slewing axes and the output panel, the main window and
# the graph in place of the program's. The texts the program saves beside its
# pictures, and its second looks at the set-up and the reopened windows
# (again/, setup/), serve the end-to-end test and are not kept here. The
# pictures in docs/ are some of these, under the same names: one this target
# no longer saves is named, and the target fails.
screenshots: build
	rm -rf $(BUILD)/screenshots
	xvfb-run -a -s "-screen 0 1280x1024x24" env ORLA_SCREENSHOTS=$(CURDIR)/$(BUILD)/screenshots \
		$(BUILD)/bin/orla_setup
	rm -rf $(BUILD)/screenshots/*.txt $(BUILD)/screenshots/again $(BUILD)/screenshots/setup
	ORLA_SCREENSHOTS=$(CURDIR)/$(BUILD)/screenshots ctest --test-dir $(BUILD) --output-on-failure \
		-R '^(ui_main_view_tests|setup_tests|tools_tests)$$'
	@for f in docs/*.png; do \
		[ -f "$(BUILD)/screenshots/$${f#docs/}" ] || { echo "$$f is no picture make screenshots saves" >&2; exit 1; }; \
	done

# Every reader of outside input under libFuzzer (clang), each for FUZZ_SECONDS,
# JOBS side by side; one summary line per target.
FUZZ_SECONDS ?= 30
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) ./scripts/fuzz.sh

clean:
	rm -rf build build-asan build-tsan build-fuzz
