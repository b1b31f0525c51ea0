# Two commands do everything on a fresh machine: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# Let the compiler cache serve builds of other checkouts of the same sources.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

DEBS := cmake ninja-build g++ pkg-config ccache libgtest-dev libgmock-dev libonig-dev nkf tcl perl python3 bc \
        libx11-dev libxtst-dev qt6-base-dev fonts-ipafont-gothic fonts-ipafont-mincho xvfb
DEBS += libffi-dev libarchive-dev libarchive-tools lhasa
DEBS += libcurl4-openssl-dev python3-pyftpdlib
DEBS += libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
        gstreamer1.0-tools
DEBS += libsqlite3-dev unixodbc-dev libxlsxwriter-dev libsqliteodbc
DEBS += qt6-webengine-dev

.PHONY: deps build build-asan run test test-asan bench fuzz clean

deps:
	@missing=""; for p in $(DEBS); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTAMA_SANITIZE=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	$(BUILD)/tamakazu --headless examples/hello.tmk
	$(BUILD)/tamakazu --headless --events examples/form.ev examples/form.tmk
	QT_QPA_PLATFORM=offscreen $(BUILD)/tamakazu --window --events examples/form.ev examples/form.tmk

test: build build-asan
	cd $(BUILD) && ctest --output-on-failure --timeout 300 -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --timeout 300 -j $(JOBS)

test-fast: build
	cd $(BUILD) && ctest --output-on-failure --timeout 300 -j $(JOBS)

# The fuzz driver under AddressSanitizer+UBSan, seeded with the program tests;
# findings (inputs and their reports) go to $(ASAN_BUILD)/fuzz-findings.
FUZZ_SECONDS ?= 180
fuzz: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target tamakazu_fuzz
	$(ASAN_BUILD)/tamakazu_fuzz --seconds $(FUZZ_SECONDS) --out $(ASAN_BUILD)/fuzz-findings tests/programs

bench: build
	bench/run.sh $(BUILD)/tamakazu

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
