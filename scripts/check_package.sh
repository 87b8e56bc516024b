#!/usr/bin/env bash
# Checks the release package: scripts/package.sh run here and in a copy of
# the sources in another folder must give a byte-identical executable and
# zip, and the zip must hold exactly cadxform.exe, the Japanese user guide,
# the README and SHA256SUMS with matching checksums. Also checks that the
# README names the version of CMakeLists.txt. Part of scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(cadxform VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
grep -q "^Version $version\b" README.md || { echo "check_package: README.md does not say 'Version $version'" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
zip="dist/cadxform-$version-win32.zip"

# The second build: the tracked and new files of this tree, in a folder of
# another name and length.
other=$(mktemp -d "${TMPDIR:-/tmp}/cadxform_repro.XXXXXX")
trap 'rm -rf "$other"' EXIT
mkdir "$other/second copy"
git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$other/second copy"

scripts/package.sh build/package >/dev/null
(cd "$other/second copy" && scripts/package.sh build/elsewhere >/dev/null)

cmp build/package/cadxform.exe "$other/second copy/build/elsewhere/cadxform.exe"
cmp "$zip" "$other/second copy/$zip"
echo "check_package: two builds in different folders are byte-identical ($(sha256sum < "$zip" | cut -c1-16)...)"

python3 - "$zip" build/package/cadxform.exe docs/ja/manual-ja.txt README.md <<'PY'
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
