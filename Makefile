# make run  : install what is missing, build, and start the program.
# make test : install what is missing, build, and run every test.
# make bench: build, run the benchmarks, print their table and write build/bench.json.
# make gallery: build, render the tour's named views at 960x720 into build/gallery/ (PNG and JPEG)
#               and copy the README's four pictures into docs/.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all bootstrap configure build run test bench tour gallery clean sanitize

all: build

bootstrap:
	@bash scripts/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run

test: build
	@cd $(BUILD) && ctest --output-on-failure -j 1

bench: build
	@./bin/callimora-bench --benchmark_out=$(abspath $(BUILD))/bench.json \
		--benchmark_out_format=json

tour: build
	@mkdir -p $(BUILD)/tour $(BUILD)/tour/graph
	@./bin/callimora-tour --png $(BUILD)/tour --every 20
	@./bin/callimora-tour --graph --frames 80 --every 20 --quiet --png $(BUILD)/tour/graph

GALLERY_VIEWS := start above rooftop street market stairs crowd
README_VIEWS := rooftop street market stairs

gallery: build
	@mkdir -p $(BUILD)/gallery docs
	@for view in $(GALLERY_VIEWS); do \
		./bin/callimora-tour --view $$view --size 960x720 --quiet \
			--shot $(BUILD)/gallery/$$view.png --shot $(BUILD)/gallery/$$view.jpg > /dev/null || exit 1; \
		echo "gallery: $(BUILD)/gallery/$$view.png"; \
	done
	@for view in $(README_VIEWS); do cp $(BUILD)/gallery/$$view.jpg docs/$$view.jpg; done

sanitize:
	@$(MAKE) test BUILD=build-sanitize CMAKE_FLAGS=-DCALLI_SANITIZE=ON

clean:
	@rm -rf $(BUILD) bin bin-sanitize
