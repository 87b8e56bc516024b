#!/usr/bin/env bash
# Checks the release package: scripts/package.sh run here and in a copy of
# the sources in another folder must give a byte-identical executable, debug
# information file and zip, and the zip must hold exactly cadxform.exe, the
# Japanese user guide, the README and SHA256SUMS with matching checksums.
# The packaged executable must carry no debug sections and no symbols but a
# .gnu_debuglink naming the .debug file beside the zip with its CRC, that
# file must hold the debug sections, and the executable must still run (one
# case of the end-to-end tests, under Wine). Also checks that the README
# names the version of CMakeLists.txt. Part of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(cadxform VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
grep -q "^Version $version\b" README.md || { echo "check_package: README.md does not say 'Version $version'" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
zip="dist/cadxform-$version-win32.zip"
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
cmp "$debug" "$other/second copy/$debug"
cmp "$zip" "$other/second copy/$zip"
echo "check_package: two builds in different folders are byte-identical ($(sha256sum < "$zip" | cut -c1-16)...)"

# Debug sections and symbols only in the .debug file; the exe links to it.
objdump=i686-w64-mingw32-objdump
sections=$($objdump -h "$exe")
if grep -q '\.debug_' <<<"$sections"; then
  echo "check_package: the packaged exe carries debug sections" >&2; exit 1
fi
$objdump -t "$exe" | grep -qx 'no symbols' || { echo "check_package: the packaged exe carries symbols" >&2; exit 1; }
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

python3 - "$zip" "$exe" docs/ja/manual-ja.txt README.md <<'PY'
import hashlib, sys, zipfile
zip_path, exe, guide, readme = sys.argv[1:]
z = zipfile.ZipFile(zip_path)
names = z.namelist()
want = ["README.md", "SHA256SUMS", "cadxform.exe", "manual-ja.txt"]
assert names == want, f"zip holds {names}, not {want}"
for name, path in [("cadxform.exe", exe), ("manual-ja.txt", guide), ("README.md", readme)]:
    assert z.read(name) == open(path, "rb").read(), f"{name} differs from {path}"
sums = dict(reversed(line.split("  ")) for line in z.read("SHA256SUMS").decode().splitlines())
assert sorted(sums) == ["README.md", "cadxform.exe", "manual-ja.txt"], sums
for name, digest in sums.items():
    assert hashlib.sha256(z.read(name)).hexdigest() == digest, f"checksum of {name}"
text = z.read("manual-ja.txt")
assert text.startswith(b"\xef\xbb\xbf"), "the guide has no UTF-8 byte order mark"
text.decode("utf-8")
assert b"\n" not in text.replace(b"\r\n", b""), "the guide has line ends other than CR LF"
exe_bytes = z.read("cadxform.exe")
for marker in ["ProductVersion", "FileDescription", "longPathAware"]:
    assert marker.encode("utf-16-le") in exe_bytes or marker.encode() in exe_bytes, f"no {marker} in the exe"
print("check_package: the zip holds", ", ".join(names), "with matching checksums")
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
