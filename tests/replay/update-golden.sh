#!/usr/bin/env bash
# Rewrites the golden event logs from the examples, after a deliberate change of behaviour.
# Usage: tests/replay/update-golden.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
for script in examples/*.jsonl; do
    name=$(basename "$script" .jsonl)
    "$build/tools/tavix-replay" "$script" > "tests/replay/golden/$name.log"
done
