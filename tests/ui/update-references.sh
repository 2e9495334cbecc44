#!/usr/bin/env bash
# Rewrites the reference images of the interface tests, after a deliberate change of look.
# Usage: tests/ui/update-references.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cmake --build "$build" --target tavix-tests-ui tavix-tests-scenes
for tests in tavix-tests-ui tavix-tests-scenes; do
    TAVIX_UPDATE_REFERENCES=1 "$build/tests/ui/$tests" --gtest_filter='*Reference*'
done
git status --short tests/ui/references
