#!/usr/bin/env bash
# Builds the Windows executable and libraries in release mode and writes the
# release package for CAD users, dist/cadxform-<version>-win32.zip, with
#   cadxform.exe     the tool (version from CMakeLists.txt)
#   mirror.exe       the mirror transform (examples/mirror), built against
#                    the SDK below as an author would build it
#   manual-ja.txt    the user guide in Japanese (docs/ja/manual-ja.txt)
#   changes-ja.txt   the change history in Japanese (docs/ja/changes-ja.txt)
#   SHA256SUMS       the SHA-256 of the files above, with CR LF line ends
#                    like the two texts, so that Notepad shows them
# (the developers' README stays with the sources),
# and the SDK for authors of other transforms,
# dist/cadxform-<version>-win32-sdk.zip, with what `cmake --install` of
# this build puts under a prefix and what an author needs beside it:
#   include/cadxform/*.h            the public headers
#   lib/libcadxform_*.a             the i686 static libraries
#   lib/cmake/cadxform/*.cmake      the CMake package (find_package(cadxform))
#   cmake/mingw-i686.cmake          the toolchain file for a build on Linux
#   examples/recolor/, examples/rotate_scale/, examples/mirror/
#                                   three transforms' sources
#   examples/drawing.txt            a sample drawing to run them on
#   docs/library.md, docs/ja/library-ja.txt     the library guides
#   SHA256SUMS                      the SHA-256 of every other file
# The executables are shipped stripped of their symbols and debug
# information; the tool's go to dist/cadxform-<version>-win32.debug beside
# the zip, for reading a crash address later; the tool names that file (and
# its CRC) in its .gnu_debuglink section, so a debugger finds it when it
# lies beside the executable.
# The packages are reproducible: the same commit, built in any folder, gives
# the same bytes. The executables and the libraries have no time stamp or
# build folder inside (cmake/windows/reproducible.cmake; the same options
# for mirror.exe), and the zip entries are sorted and dated with the commit
# time (SOURCE_DATE_EPOCH, when set, instead).
#   scripts/package.sh [BUILD_DIR]      (default build/package)
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(cadxform VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] || { echo "package: no commit time; set SOURCE_DATE_EPOCH" >&2; exit 1; }
build=${1:-build/package}

scripts/setup.sh >/dev/null
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DCADXFORM_TESTS=OFF --no-warn-unused-cli >/dev/null
cmake --build "$build" --target cadxform cadxform_exchange cadxform_numeric cadxform_platform -j 2 >/dev/null
# The SDK's library part: exactly what an installation of this build holds.
rm -rf "$build/sdk"
cmake --install "$build" --prefix "$build/sdk" >/dev/null

# mirror.exe: examples/mirror built against that prefix alone, with the
# tool's reproducibility options (no link time stamp; the source and build
# folders mapped away, the build folder's map, given last, taking the SDK's
# headers below it).
abs_build=$(cd "$build" && pwd)
rm -rf "$build/mirror" && mkdir -p "$build/mirror"
cat >"$build/mirror/reproducible.cmake" <<EOF
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options("-ffile-prefix-map=$PWD/=" "-ffile-prefix-map=$abs_build/=")
EOF
cmake -S examples/mirror -B "$build/mirror" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$abs_build/sdk" \
  -DCMAKE_PROJECT_INCLUDE="$abs_build/mirror/reproducible.cmake" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF >/dev/null
cmake --build "$build/mirror" -j 2 >/dev/null

mkdir -p dist "$build/stripped"
zip="dist/cadxform-$version-win32.zip"
sdk_zip="dist/cadxform-$version-win32-sdk.zip"
debug="dist/cadxform-$version-win32.debug"
exe="$build/stripped/cadxform.exe"
# objcopy stamps the PE header of what it writes with SOURCE_DATE_EPOCH (the
# current time when unset): 0, as the linker leaves it (--no-insert-timestamp).
SOURCE_DATE_EPOCH=0 i686-w64-mingw32-objcopy --only-keep-debug "$build/cadxform.exe" "$debug"
SOURCE_DATE_EPOCH=0 i686-w64-mingw32-objcopy --strip-all --add-gnu-debuglink="$debug" \
  "$build/cadxform.exe" "$exe"
SOURCE_DATE_EPOCH=0 i686-w64-mingw32-objcopy --strip-all "$build/mirror/mirror.exe" "$build/stripped/mirror.exe"

# The SDK's files as "name-in-zip=path": the installed prefix, the
# examples' sources (no build folder an author left in them), the guides.
sdk=()
while IFS= read -r -d '' file; do
  sdk+=("${file#"$build/sdk/"}=$file")
done < <(find "$build/sdk" -type f -print0)
for example in examples/recolor examples/rotate_scale examples/mirror; do
  for file in "$example"/CMakeLists.txt "$example"/*.md "$example"/*.cpp "$example"/*.h; do
    [ -f "$file" ] && sdk+=("$file=$file")
  done
done
sdk+=(cmake/mingw-i686.cmake=cmake/mingw-i686.cmake docs/library.md=docs/library.md
      docs/ja/library-ja.txt=docs/ja/library-ja.txt examples/drawing.txt=examples/drawing.txt)

# write_zip ZIP EPOCH EOL NAME=PATH...: the files and their SHA256SUMS
# (each line ended by EOL: "crlf" or "lf"), sorted, dated with EPOCH, as a
# plain Windows zip.
write_zip() {
  python3 - "$@" <<'PY'
import hashlib, sys, time, zipfile

zip_path, epoch, eol, entries = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
end = {"crlf": "\r\n", "lf": "\n"}[eol]
files = dict(entry.split("=", 1) for entry in entries)
assert len(files) == len(entries), "a name given twice"
data = {name: open(path, "rb").read() for name, path in files.items()}
data["SHA256SUMS"] = "".join(
    f"{hashlib.sha256(data[n]).hexdigest()}  {n}{end}" for n in sorted(data)).encode()
# Zip times are local DOS times from 1980 on; the commit time in UTC.
stamp = max(time.gmtime(epoch)[:6], (1980, 1, 1, 0, 0, 0))
with zipfile.ZipFile(zip_path, "w") as z:
    for name in sorted(data):
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.create_system = 0          # MS-DOS attributes, as on Windows
        info.external_attr = 0x20       # "archive", a plain file
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, data[name], compresslevel=9)
PY
}

write_zip "$zip" "$epoch" crlf cadxform.exe="$exe" mirror.exe="$build/stripped/mirror.exe" manual-ja.txt=docs/ja/manual-ja.txt \
  changes-ja.txt=docs/ja/changes-ja.txt
write_zip "$sdk_zip" "$epoch" lf "${sdk[@]}"
echo "package: $zip, $sdk_zip (debug information: $debug)"
