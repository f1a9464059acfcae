#!/usr/bin/env bash
# An install that runs: installs the build into a temporary prefix, starts the
# installed program on a fresh machine root with nothing but HOME set, and
# builds a small program against the installed device library with pkg-config.
#   install_test.sh BUILD_DIR CXX
set -euo pipefail
build=$1
cxx=$2
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

# The installed program on a fresh root, with HOME alone in its environment.
mkdir -p "$work/home"
printf 'projection "C:\\TEMP\\installed.png"\nquit\n' > "$work/two-lines.ops"
env -i HOME="$work/home" "$prefix/bin/fieldray" "$work/two-lines.ops" > "$work/run.log" 2>&1 ||
  { cat "$work/run.log" >&2; fail "the installed fieldray ended with status $?"; }
picture=$work/home/.local/share/fieldray/root/C/TEMP/installed.png
[ -s "$picture" ] || { cat "$work/run.log" >&2; fail "no picture at $picture"; }

# A host program against the installed device library.
printf '#include <vexlib/vexlib.h>\nint main() { std::int32_t count = 0; return GetVXDLLModuleUsage(&count) < -1000; }\n' \
  > "$work/host.cpp"
pcdir=$(dirname "$(ls "$prefix"/lib*/pkgconfig/vexlib.pc)")
flags=$(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs vexlib) || fail "pkg-config vexlib"
# shellcheck disable=SC2086
"$cxx" -std=c++20 "$work/host.cpp" -o "$work/host" $flags || fail "compiling against vexlib.pc ($flags)"
echo "install test passed"
