#!/bin/sh
# Rewrites README.md's samples (fenced blocks opening with `$ vxdoe ...` or
# `$ cat ...`) from what the program prints now, through the test that
# otherwise checks them. BUILD is the build folder (default: build).
set -e
BUILD=${BUILD:-build}
cd "$(dirname "$0")/.."
cmake --build "$BUILD" -j1 --target test_tools
VX_UPDATE_README=1 "$BUILD/tests/test_tools" --gtest_filter='ReadmeSamples.EverySampleIsWhatTheProgramPrints'
git diff --stat README.md
