#!/usr/bin/env bash
# The installed menu entry and AppStream metainfo pass their validators, and the
# menu icons are the program icon at every size.
#   BUILD_DIR=build tests/desktop_metadata.sh
set -euo pipefail
BUILD_DIR=${BUILD_DIR:?BUILD_DIR must name the build folder}
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps installs it)"; exit 77; }
done
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
cmake --install "$BUILD_DIR" --prefix "$TMP" >/dev/null
share=$TMP/share
desktop-file-validate "$share/applications/tavi.desktop"
appstreamcli validate --no-net --pedantic "$share"/metainfo/*.metainfo.xml
grep -q '^Path=' "$share/applications/tavi.desktop" && { echo "FAIL: the menu entry names a path"; exit 1; }
for size in 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x$size/apps/tavi.png
  [ "$(file -b "$png" | grep -o '[0-9]* x [0-9]*')" = "$size x $size" ] || { echo "FAIL: $png is not $size px"; exit 1; }
done
grep -q '<svg' "$share/icons/hicolor/scalable/apps/tavi.svg" || { echo "FAIL: no scalable icon"; exit 1; }
echo "PASS"
