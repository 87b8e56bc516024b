#!/usr/bin/env bash
# Builds the Windows executable in release mode and writes the release
# package dist/cadxform-<version>-win32.zip with
#   cadxform.exe     the tool (version from CMakeLists.txt)
#   manual-ja.txt    the user guide in Japanese (docs/ja/manual-ja.txt)
#   README.md        the developers' notes in English
#   SHA256SUMS       the SHA-256 of the three files above
# The executable is shipped stripped of its symbols and debug information,
# which go to dist/cadxform-<version>-win32.debug beside the zip, for
# reading a crash address later; the executable names that file (and its
# CRC) in its .gnu_debuglink section, so a debugger finds it when it lies
# beside the executable.
# The package is reproducible: the same commit, built in any folder, gives
# the same bytes. The executable has no time stamp or build folder inside,
# and the zip entries are sorted and dated with the commit time
# (SOURCE_DATE_EPOCH, when set, instead).
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
cmake --build "$build" --target cadxform -j 2 >/dev/null

mkdir -p dist "$build/stripped"
zip="dist/cadxform-$version-win32.zip"
debug="dist/cadxform-$version-win32.debug"
exe="$build/stripped/cadxform.exe"
# objcopy stamps the PE header of what it writes with SOURCE_DATE_EPOCH (the
# current time when unset): 0, as the linker leaves it (--no-insert-timestamp).
SOURCE_DATE_EPOCH=0 i686-w64-mingw32-objcopy --only-keep-debug "$build/cadxform.exe" "$debug"
SOURCE_DATE_EPOCH=0 i686-w64-mingw32-objcopy --strip-all --add-gnu-debuglink="$debug" \
  "$build/cadxform.exe" "$exe"

python3 - "$zip" "$epoch" "$exe" docs/ja/manual-ja.txt README.md <<'PY'
import hashlib, sys, time, zipfile

zip_path, epoch, exe, guide, readme = sys.argv[1], int(sys.argv[2]), *sys.argv[3:]
files = {"cadxform.exe": exe, "manual-ja.txt": guide, "README.md": readme}
data = {name: open(path, "rb").read() for name, path in files.items()}
data["SHA256SUMS"] = "".join(
    f"{hashlib.sha256(data[n]).hexdigest()}  {n}\n" for n in sorted(data)).encode()
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
echo "package: $zip (debug information: $debug)"
