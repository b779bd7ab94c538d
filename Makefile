# make run   builds vintrel.exe and starts it (under Wine on Linux)
# make test  builds both trees and runs every test
# Both install whatever is missing first.
.PHONY: run test screenshot bench fuzz dist clean

run:
	bash scripts/run.sh

test:
	bash scripts/test.sh

screenshot:
	bash scripts/screenshot.sh

bench:
	bash scripts/bench.sh

fuzz:
	bash scripts/fuzz.sh

clean:
	rm -rf build

dist:
	bash scripts/dist.sh
