#!/usr/bin/env bash
# The main job: open a drawing and project it on the emulated boards, leaving
# pictures to look at. Runs the furthest slice that works today.
set -euo pipefail
build=${1:-build/dev}
export FIELDRAY_ROOT=${FIELDRAY_ROOT:-$PWD/build/demo-root}
"$build/bin/fieldray"
