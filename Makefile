# Set-up, build, demo and tests. Every target installs what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= 2
XVFB       := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: all deps build demo test asan fuzz bench bench-lp-perf soak install clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

demo: build
	@scripts/demo.sh $(BUILD)

test: build
	@cd $(BUILD) && LIBGL_ALWAYS_SOFTWARE=1 $(XVFB) ctest --output-on-failure

# The thumbnails' PSNR; the opening of 5,000, 20,000, 100,000 and 250,000
# thumbnails without and with the thumbnail cache, and their frames at the
# start, inside the city and in the overview as Tab shows it, each beside
# the bare city's frame and the targets; frame times on libraries of 1,000,
# 5,000 and 20,000 thumbnails, beside the same frames drawn box by box
# (figures only, no verdict): tables, and $(BUILD)/bench.json. The
# thumbnails and the libraries are made once into $(BUILD)/bench-libraries.
# Then the gallery's decodes, and a first run of zandervale-index over camera
# JPEGs beside vipsthumbnail on the same files (photos in $(BUILD)/bench-index).
BENCH_POOL := $(BUILD)/bench-libraries/pool
bench: build
	@test -f $(BENCH_POOL)/Zandervale.xml || \
	  $(BUILD)/tools/zv-sample-library $(BENCH_POOL) 1000 1998 2010 >/dev/null
	@cd $(BUILD)/run && LIBGL_ALWAYS_SOFTWARE=1 $(XVFB) ../tools/zv-bench ../bench-libraries/pool ../bench.json
	@cd $(BUILD)/run && LIBGL_ALWAYS_SOFTWARE=1 $(XVFB) ../tools/zv-gallery-bench
	@$(BUILD)/tools/zv-index-bench $(BUILD)/tools/zandervale-index $(BUILD)/bench-index

# The bare city's and 100,000 photos' frames under each of llvmpipe's
# LP_PERF switches, as one table (figures only).
bench-lp-perf: build
	@test -f $(BENCH_POOL)/Zandervale.xml || \
	  $(BUILD)/tools/zv-sample-library $(BENCH_POOL) 1000 1998 2010 >/dev/null
	@tools/bench/lp-perf.sh $(BUILD)

# The viewer for SOAK_SECONDS stepping through a house of 12-megapixel
# photos in the gallery and back to the city, sampling its memory, open
# files and gallery textures (figures only, no verdict).
SOAK_SECONDS ?= 600
soak: build
	@tools/soak/soak.sh $(BUILD) $(SOAK_SECONDS)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, with
# leak detection on. Each object is freed by its owner: the application its
# city's records, artwork and objects, the photo atlas and its pages, the
# walker, the gallery and the thumbnail caches; the artwork its display
# lists and textures. tests/lsan.supp passes over only other libraries'
# leftovers (Mesa's software driver), one reason an entry.
asan: export ASAN_OPTIONS = detect_leaks=1
asan: export LSAN_OPTIONS = suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
asan: export UBSAN_OPTIONS = print_stacktrace=1
# liborc, which compiles libvips's vector paths at run time, once crashed
# inside orc_code_allocate_codemem in the sanitized indexer; the sanitized
# programs take libvips's plain paths instead.
asan: export VIPS_NOVECTOR = 1
# With Mesa's shader cache cold, a test that passed (a grey mipmapped
# texture) ended with LeakSanitizer dying in its own tracer ("Tracer caught
# signal 11") each time; with the cache off, never. Mesa fills the cache
# from threads of its own, which the leak check stops at exit. The
# sanitized tests keep no shader cache.
asan: export MESA_SHADER_CACHE_DISABLE = true
asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZV_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && LIBGL_ALWAYS_SOFTWARE=1 $(XVFB) ctest --output-on-failure

# Each libFuzzer target (library reader, image-header guard, date readers, cache reader,
# RAW and EXIF previews) for FUZZ_SECONDS,
# built with clang; a finding fails with its input kept in $(FUZZ_BUILD)/fuzz.
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target zv-fuzz-library zv-fuzz-image-header zv-fuzz-dates \
	  zv-fuzz-cache zv-fuzz-previews
	@tools/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
