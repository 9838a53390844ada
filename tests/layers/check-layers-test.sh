#!/usr/bin/env bash
# The layer check passes on the tree and fails on each kind of planted include: Qt in a plain C++ layer,
# a sibling (tray into form), a folder above (protocol into shell), a header named without its folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

check() {
    "$root/scripts/check-layers" "$work/tree" >/dev/null 2>&1
}

rm -rf "$work/tree" && mkdir "$work/tree" && cp -r "$root/src" "$work/tree/"
check || { echo "FAIL: the tree itself breaks the layers"; exit 1; }

failures=0
while IFS='|' read -r file include; do
    rm -rf "$work/tree" && mkdir "$work/tree" && cp -r "$root/src" "$work/tree/"
    printf '#include %s\n' "$include" >>"$work/tree/src/$file"
    if check; then
        echo "FAIL: planted $include in src/$file was not caught"
        failures=$((failures + 1))
    fi
done <<'PLANTS'
protocol/Event.h|<QString>
launch/InstanceId.h|<QtCore/QObject>
protocol/Event.cpp|"shell/UiMarker.h"
launch/InstanceId.cpp|"tray/StatusItem.h"
tray/StatusItem.cpp|"form/FormWindow.h"
form/FormWindow.cpp|"tray/TrayText.h"
shell/UiMarker.cpp|"app/Application.h"
tray/TrayText.cpp|"TrayText.h"
PLANTS
[ "$failures" -eq 0 ] || exit 1
echo "layer check test: the tree passes and every planted include is caught"
