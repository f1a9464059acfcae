#!/usr/bin/env bash
# The main job: start Fieldray on a fresh machine root, work it through the
# operator actions of app/demo.ops (output on, field S, the example drawing,
# then a projection mode and an example part program), and leave pictures of
# the main window and of the boards' projection in an output folder.
set -uo pipefail
build=${1:-build/dev}
here=$(cd "$(dirname "$0")" && pwd)
root=${FIELDRAY_DEMO_ROOT:-$PWD/build/demo-root}
out=${FIELDRAY_DEMO_OUT:-$PWD/build/demo-output}

rm -rf "$root"
mkdir -p "$root" "$out"
export FIELDRAY_ROOT=$root

"$build/bin/fieldray" "$here/demo.ops"
status=$?
if [ $status -ne 0 ]; then
  echo "fieldray ended with status $status" >&2
fi

shopt -s nullglob
pictures=("$root"/C/TEMP/demo/*.png)
if [ ${#pictures[@]} -eq 0 ]; then
  echo "No pictures were made (see the log above)." >&2
  exit 1
fi
cp "${pictures[@]}" "$out/"
echo "Pictures of the run:"
for p in "${pictures[@]}"; do echo "  $out/$(basename "$p")"; done
exit $status
