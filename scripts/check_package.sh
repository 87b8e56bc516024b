#!/usr/bin/env bash
# Checks the release packages: scripts/package.sh run here and in a copy of
# the sources in another folder must give a byte-identical executable, debug
# information file, mirror.exe, zip and SDK zip; the CAD users' zip must
# hold exactly cadxform.exe, mirror.exe, the Japanese user guide and change
# history and SHA256SUMS with matching checksums, every text with CR LF line
# ends and lines that fit Notepad's 80 columns, and the SDK zip the
# installed prefix, the three examples, the sample drawing, the toolchain
# file and the library guides, each listed in its SHA256SUMS.
# The packaged executable must carry no debug sections and no symbols but a
# .gnu_debuglink naming the .debug file beside the zip with its CRC, that
# file must hold the debug sections, and the executable must still run (one
# case of the end-to-end tests, under Wine); mirror.exe carries no symbols.
# examples/rotate_scale, built from the unzipped SDK alone, must give the
# packaged exe's bytes under Wine, examples/mirror so built the packaged
# mirror.exe's bytes (and those tests/install expects), and the SDK's package must refuse a request for a later minor
# version. Also checks that the README, the user guide and the change
# history name the version of CMakeLists.txt (the history may have an entry
# for the next minor version above it, written before the version is
# raised). Part of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(cadxform VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
grep -q "^Version $version\b" README.md || { echo "check_package: README.md does not say 'Version $version'" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
zip="dist/cadxform-$version-win32.zip"
sdk_zip="dist/cadxform-$version-win32-sdk.zip"
debug="dist/cadxform-$version-win32.debug"

# The second build: the tracked and new files of this tree, in a folder of
# another name and length.
other=$(mktemp -d "${TMPDIR:-/tmp}/cadxform_repro.XXXXXX")
trap 'rm -rf "$other"' EXIT
mkdir "$other/second copy"
git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$other/second copy"

scripts/package.sh build/package >/dev/null
(cd "$other/second copy" && scripts/package.sh build/elsewhere >/dev/null)

exe=build/package/stripped/cadxform.exe
cmp "$exe" "$other/second copy/build/elsewhere/stripped/cadxform.exe"
mirror=build/package/stripped/mirror.exe
cmp "$mirror" "$other/second copy/build/elsewhere/stripped/mirror.exe"
cmp "$debug" "$other/second copy/$debug"
cmp "$zip" "$other/second copy/$zip"
cmp "$sdk_zip" "$other/second copy/$sdk_zip"
echo "check_package: two builds in different folders are byte-identical" \
  "($(sha256sum < "$zip" | cut -c1-16)..., SDK $(sha256sum < "$sdk_zip" | cut -c1-16)...)"

# Debug sections and symbols only in the .debug file; the exe links to it.
objdump=i686-w64-mingw32-objdump
sections=$($objdump -h "$exe")
if grep -q '\.debug_' <<<"$sections"; then
  echo "check_package: the packaged exe carries debug sections" >&2; exit 1
fi
for file in "$exe" "$mirror"; do
  $objdump -t "$file" | grep -qx 'no symbols' || { echo "check_package: the packaged $file carries symbols" >&2; exit 1; }
done
grep -q '\.debug_info' <<<"$($objdump -h "$debug")" || { echo "check_package: $debug holds no debug sections" >&2; exit 1; }
link=$($objdump -s -j .gnu_debuglink "$exe" | sed -n 's/^ [0-9a-f]* \(\([0-9a-f]\{2,8\} \)*\).*/\1/p' | tr -d ' \n')
python3 - "$link" "$debug" <<'PY'
import os, sys, zlib
link, debug = bytes.fromhex(sys.argv[1]), sys.argv[2]
name = link[:link.index(b"\0")].decode()
crc = int.from_bytes(link[-4:], "little")
assert name == os.path.basename(debug), f".gnu_debuglink names {name}, not {os.path.basename(debug)}"
assert crc == zlib.crc32(open(debug, "rb").read()), f".gnu_debuglink's CRC {crc:08x} is not that of {debug}"
print(f"check_package: the exe ({os.path.getsize(sys.argv[2]) // 1024} KiB of debug information aside) links to {name}")
PY

python3 - "$version" "$zip" "$exe" "$mirror" "$sdk_zip" build/package/sdk <<'PY'
import hashlib, os, sys, unicodedata, zipfile
version, zip_path, exe, mirror, sdk_path, prefix = sys.argv[1:]

def crlf_only(z, name):
    text = z.read(name)
    assert text.endswith(b"\r\n") and b"\n" not in text.replace(b"\r\n", b""), \
        f"{name} has line ends other than CR LF"
    return text

def notepad_text(z, name, columns=None):
    text = crlf_only(z, name)
    assert text.startswith(b"\xef\xbb\xbf"), f"{name} has no UTF-8 byte order mark"
    text = text.decode("utf-8-sig")
    # Wide and ambiguous characters take two columns in a Japanese font.
    for n, line in enumerate(text.splitlines(), 1):
        width = sum(2 if unicodedata.east_asian_width(c) in "WFA" else 1 for c in line)
        assert columns is None or width <= columns, f"{name}:{n} is {width} columns wide"
    return text

# Every file but SHA256SUMS is listed there with its digest, and nothing else.
def check_sums(z, names):
    sums = dict(reversed(line.split("  ")) for line in z.read("SHA256SUMS").decode().splitlines())
    assert sorted(sums) == [n for n in names if n != "SHA256SUMS"], f"SHA256SUMS lists {sorted(sums)}"
    for name, digest in sums.items():
        assert hashlib.sha256(z.read(name)).hexdigest() == digest, f"checksum of {name}"

def check_same(z, files):
    for name, path in files.items():
        assert z.read(name) == open(path, "rb").read(), f"{name} differs from {path}"

z = zipfile.ZipFile(zip_path)
names = z.namelist()
files = {"cadxform.exe": exe, "mirror.exe": mirror, "manual-ja.txt": "docs/ja/manual-ja.txt",
         "changes-ja.txt": "docs/ja/changes-ja.txt"}
assert names == sorted([*files, "SHA256SUMS"]), f"zip holds {names}"
check_same(z, files)
check_sums(z, names)
crlf_only(z, "SHA256SUMS")
manual = notepad_text(z, "manual-ja.txt", 80)
assert f"製品バージョン（{version}）" in manual, f"the user guide does not show version {version}"
changes = notepad_text(z, "changes-ja.txt", 80)
headings = [line for line in changes.splitlines() if line.startswith("バージョン ")]
major, minor = version.split(".")[:2]
if headings[0] == f"バージョン {major}.{int(minor) + 1}.0":
    headings = headings[1:]  # the next version's entry, before the version is raised
assert headings[0] == f"バージョン {version}", f"the change history's newest entry is '{headings[0]}', not {version}"
exe_bytes = z.read("cadxform.exe")
for marker in ["ProductVersion", "FileDescription", "longPathAware"]:
    assert marker.encode("utf-16-le") in exe_bytes or marker.encode() in exe_bytes, f"no {marker} in the exe"
print("check_package: the zip holds", ", ".join(names), "with matching checksums")

# The SDK: the installed prefix, the examples' sources and drawing, the
# toolchain file and the library guides, as they are here.
z = zipfile.ZipFile(sdk_path)
names = z.namelist()
files = {os.path.relpath(os.path.join(d, f), prefix): os.path.join(d, f)
         for d, _, fs in os.walk(prefix) for f in fs}
assert any(n.startswith("include/cadxform/") for n in files) and "lib/libcadxform_exchange.a" in files, \
    f"the installed prefix holds {sorted(files)}"
for example in ["examples/recolor", "examples/rotate_scale", "examples/mirror"]:
    files.update({f"{example}/{f}": f"{example}/{f}" for f in os.listdir(example)
                  if f == "CMakeLists.txt" or f.endswith((".md", ".cpp", ".h"))})
for doc in ["cmake/mingw-i686.cmake", "docs/library.md", "docs/ja/library-ja.txt", "examples/drawing.txt"]:
    files[doc] = doc
assert names == sorted([*files, "SHA256SUMS"]), f"the SDK zip holds {names}"
check_same(z, files)
check_sums(z, names)
notepad_text(z, "docs/ja/library-ja.txt")
print(f"check_package: the SDK zip holds {len(names)} files with matching checksums")
PY

# The stripped exe still runs: one end-to-end case under Wine.
case_dir=tests/golden/two_point_quarter_turn_every_kind
mkdir "$other/run"
cp "$exe" "$other/run/cadxform.exe"
cp "$case_dir/input.txt" "$other/run/ZPH_TEMP.TXT"
mapfile -t args <"$case_dir/args"
WINEDEBUG=-all wine "$other/run/cadxform.exe" "${args[@]}"
cmp "$other/run/ZPH_TEMP.TXT" "$case_dir/expected.txt"
echo "check_package: the packaged exe gives the expected bytes of $(basename "$case_dir") under Wine"

# The SDK alone: unzipped into a fresh folder, its copies of
# examples/rotate_scale and examples/mirror built with its toolchain file
# and nothing of this tree on any path. With indicated points (0, 0) and (10, 0) on the example
# drawing, `rotate_scale 1 90 2` must give the packaged exe's bytes for
# `1 3 0 0 0 20` (a quarter turn doubled), each run in a fresh folder on its
# own copy of the drawing.
sdk="$other/sdk unzipped"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$sdk_zip" "$sdk"
sdk_config=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$sdk/cmake/mingw-i686.cmake"
            -DCMAKE_PREFIX_PATH="$sdk" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
            -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
for example in rotate_scale mirror; do
  cmake -S "$sdk/examples/$example" -B "$other/sdk build $example" "${sdk_config[@]}" >"$other/sdk.log" 2>&1 &&
    cmake --build "$other/sdk build $example" >>"$other/sdk.log" 2>&1 ||
    { cat "$other/sdk.log" >&2; echo "check_package: $example does not build against the SDK" >&2; exit 1; }
done

drawing="$other/drawing.txt"
sed -E 's/^hp1[^ ]* .*$/hp1 0 0\r/; s/^(hp2[a-z]*) .*$/\1 10 0\r/' examples/drawing.txt >"$drawing"
grep -q $'^hp1 0 0\r$' "$drawing" && grep -q $'^hp2[a-z]* 10 0\r$' "$drawing" ||
  { echo "check_package: examples/drawing.txt has no hp1 and hp2 lines to set" >&2; exit 1; }
run_fresh() {  # run_fresh EXE FOLDER ARGS...: EXE on a copy of the drawing in a new FOLDER
  local exe=$1 dir=$2
  shift 2
  mkdir "$dir" && cp "$exe" "$dir/" && cp "$drawing" "$dir/ZPH_TEMP.TXT"
  WINEDEBUG=-all wine "$dir/$(basename "$exe")" "$@" ||
    { echo "check_package: $(basename "$exe") $* failed" >&2; exit 1; }
  [ "$(head -c 3 "$dir/ZPH_TEMP.TXT")" = $'hd\r' ] ||
    { echo "check_package: $(basename "$exe") $* wrote no drawing" >&2; exit 1; }
}
run_fresh "$other/sdk build rotate_scale/rotate_scale.exe" "$other/run rotate_scale" 1 90 2
run_fresh "$exe" "$other/run cadxform" 1 3 0 0 0 20
cmp "$other/run rotate_scale/ZPH_TEMP.TXT" "$other/run cadxform/ZPH_TEMP.TXT" ||
  { echo "check_package: rotate_scale built from the SDK differs from the packaged exe" >&2; exit 1; }
echo "check_package: rotate_scale built from the unzipped SDK gives the packaged exe's bytes under Wine" \
  "($(wc -c <"$other/run cadxform/ZPH_TEMP.TXT") bytes)"

# mirror built from the SDK and the packaged mirror.exe on a drawing of
# every kind with an axis off the eighth turns (no parameter text): the
# same bytes, those the native build gives.
mirror_case=tests/install/mirror_every_kind
drawing=$mirror_case/input.txt
run_fresh "$other/sdk build mirror/mirror.exe" "$other/run sdk mirror" 1
run_fresh "$mirror" "$other/run mirror" 1
cmp "$other/run sdk mirror/ZPH_TEMP.TXT" "$other/run mirror/ZPH_TEMP.TXT" ||
  { echo "check_package: mirror built from the SDK differs from the packaged mirror.exe" >&2; exit 1; }
cmp "$other/run mirror/ZPH_TEMP.TXT" "$mirror_case/expected.txt" ||
  { echo "check_package: the packaged mirror.exe does not give $mirror_case/expected.txt" >&2; exit 1; }
echo "check_package: mirror built from the unzipped SDK gives the packaged mirror.exe's bytes under Wine" \
  "($(wc -c <"$other/run mirror/ZPH_TEMP.TXT") bytes, as the native build)"

# The SDK's version file takes the examples' request (the build above) and
# refuses the next minor version.
later=$(awk -F. '{print $1 "." $2 + 1}' <<<"$version")
mkdir "$other/later"
printf '%s\n' 'cmake_minimum_required(VERSION 3.25)' 'project(later LANGUAGES NONE)' \
  "find_package(cadxform $later CONFIG QUIET)" \
  'if(cadxform_FOUND OR NOT cadxform_CONSIDERED_VERSIONS)' \
  '  message(FATAL_ERROR "cadxform ${cadxform_CONSIDERED_VERSIONS} found: ${cadxform_FOUND}")' \
  'endif()' >"$other/later/CMakeLists.txt"
cmake -S "$other/later" -B "$other/later/build" -DCMAKE_PREFIX_PATH="$sdk" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF >"$other/later.log" 2>&1 ||
  { cat "$other/later.log" >&2; echo "check_package: the SDK takes find_package(cadxform $later)" >&2; exit 1; }
echo "check_package: the SDK's package ($version) takes the examples' $(grep -o 'find_package([^)]*)' examples/rotate_scale/CMakeLists.txt)" \
  "and refuses find_package(cadxform $later)"
