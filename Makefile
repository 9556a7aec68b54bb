# Entry points; see README.md.
.PHONY: all bootstrap test test-native test-win32 bench run

all: test

bootstrap:
	@scripts/bootstrap

test: bootstrap
	@scripts/test native win32

test-native: bootstrap
	@scripts/test native

test-win32: bootstrap
	@scripts/test win32

bench: bootstrap
	cmake --preset bench >/dev/null && cmake --build --preset bench

# Builds Oriscope.exe and runs it on the simulated bus (see README.md).
run: bootstrap
	@scripts/run-oriscope
