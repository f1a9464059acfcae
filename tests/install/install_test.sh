#!/usr/bin/env bash
# An install that runs: installs the build into a temporary prefix, starts the
# installed program on a fresh machine root with nothing but HOME set, and
# builds hosts against the install alone with pkg-config: a C and a C++ program
# over the device library, and a C++ program that creates the view control by
# ProgID and reads a drawing with it.
#   install_test.sh BUILD_DIR CXX CC [HOST_FLAGS]
set -euo pipefail
build=$1
cxx=$2
cc=$3
host_flags=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
[ -x "$prefix/bin/fieldray" ] || fail "no bin/fieldray"
for lib in vexlib kelvaneent winplat; do
  ls "$prefix"/lib*/fieldray/lib$lib.so.1 >/dev/null 2>&1 || fail "no lib$lib.so.1 in the private folder"
done
[ -f "$prefix/include/vexlib/vexlib.h" ] || fail "no include/vexlib/vexlib.h"
[ -f "$prefix/include/kelvaneent/kelvaneent.h" ] || fail "no include/kelvaneent/kelvaneent.h"
for internal in dxfengine.h dxfpairs.h gdiprims.h; do
  [ ! -e "$prefix/include/kelvaneent/$internal" ] || fail "internal header $internal installed"
done
# Of the platform's headers, the object model a host of the control needs, and no more.
platform_headers=$(cd "$prefix/include/winplat" && echo *)
[ "$platform_headers" = "classreg.h container.h control.h dispatch.h types.h variant.h" ] ||
  fail "include/winplat holds: $platform_headers"
for doc in README.md OPERATOR_COMMANDS.md; do
  [ -s "$prefix/share/doc/fieldray/$doc" ] || fail "no share/doc/fieldray/$doc"
done
# The shipped device library carries no test hooks.
if nm -D --defined-only "$prefix"/lib*/fieldray/libvexlib.so.1 | grep -q vxTest; then
  fail "the installed libvexlib exports test hooks"
fi

# The installed program on a fresh root, with HOME alone in its environment.
mkdir -p "$work/home"
printf 'projection "C:\\TEMP\\installed.png"\nquit\n' > "$work/two-lines.ops"
env -i HOME="$work/home" "$prefix/bin/fieldray" "$work/two-lines.ops" > "$work/run.log" 2>&1 ||
  { cat "$work/run.log" >&2; fail "the installed fieldray ended with status $?"; }
picture=$work/home/.local/share/fieldray/root/C/TEMP/installed.png
[ -s "$picture" ] || { cat "$work/run.log" >&2; fail "no picture at $picture"; }

# Hosts against the install, with nothing of the source tree on their paths.
PKG_CONFIG_PATH=$(dirname "$(ls "$prefix"/lib*/pkgconfig/vexlib.pc)")
export PKG_CONFIG_PATH

# The device library from C99 and from C++.
printf '%s\n' '#include <stdio.h>' '#include <vexlib/vexlib.h>' \
  'int main(void) {' \
  '  int32_t count = 0;' \
  '  int32_t status = GetVXDLLModuleUsage(&count);' \
  '  printf("usage %d %d\n", (int)status, (int)(sizeof(PointStruct) + sizeof(FrameStruct)));' \
  '  return status != VX_SUCCESS || count < 1;' \
  '}' > "$work/host.c"
flags=$(pkg-config --cflags --libs vexlib) || fail "pkg-config vexlib"
# shellcheck disable=SC2086
"$cc" -std=c99 -Wall -Wextra -Werror -pedantic $host_flags "$work/host.c" -o "$work/host-c" $flags ||
  fail "compiling C against vexlib.pc ($flags)"
env -i HOME="$work/home" "$work/host-c" > "$work/host-c.log" 2>&1 || { cat "$work/host-c.log" >&2; fail "the C host failed"; }
grep -qx "usage 0 76" "$work/host-c.log" || { cat "$work/host-c.log" >&2; fail "the C host printed otherwise"; }
printf '#include <vexlib/vexlib.h>\nint main() { std::int32_t count = 0; return GetVXDLLModuleUsage(&count) < -1000; }\n' \
  > "$work/host.cpp"
# shellcheck disable=SC2086
"$cxx" -std=c++20 $host_flags "$work/host.cpp" -o "$work/host" $flags || fail "compiling C++ against vexlib.pc ($flags)"

# The view control, created by ProgID from the installed library, reads the
# template's plate drawing and gives its extents.
flags=$(pkg-config --cflags --libs kelvaneent) || fail "pkg-config kelvaneent"
control=$(pkg-config --variable=controllibrary kelvaneent)
[ -f "$control" ] || fail "pkg-config kelvaneent names no control library ($control)"
# shellcheck disable=SC2086
"$cxx" -std=c++20 -Wall -Wextra -Werror $host_flags "$here/control_host.cpp" -o "$work/control_host" $flags ||
  fail "compiling the control host against kelvaneent.pc ($flags)"
env -i HOME="$work/home" "$work/control_host" "$control" 'C:\Fieldray\Jobs\PLATE.DXF' > "$work/control.log" 2>&1 ||
  { cat "$work/control.log" >&2; fail "the control host failed"; }
read -r word left top right bottom < "$work/control.log" || true
[ "$word" = extents ] || { cat "$work/control.log" >&2; fail "the control host printed no extents"; }
awk -v l="$left" -v t="$top" -v r="$right" -v b="$bottom" 'BEGIN { exit !(r > l && t > b) }' ||
  fail "the plate's extents are empty: $left $top $right $bottom"
echo "install test passed"
