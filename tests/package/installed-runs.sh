#!/usr/bin/env bash
# The package test's part inside a private desktop (scripts/private-desktop, with its tray host): a smoke
# tray run of the installed corvane-tray, checked over its protocol and over D-Bus, then the installed
# corvane-demo played unattended. Writes the identities it used to WORK/identities. Everything it starts
# it ends by PID.
#
#   tests/package/installed-runs.sh WORK
set -euo pipefail
work="$1"
# The runs keep their lock files in WORK/tmp, where the package test looks for them afterwards.
export TMPDIR="$work/tmp"
pids=()
to_tray=
# corvane-tray ends when its input closes (a termination signal only asks it to quit), so that comes
# first; whatever still runs after a moment is killed.
cleanup() {
    local pid
    [ -z "$to_tray" ] || exec {to_tray}>&-
    for pid in "${pids[@]}"; do
        timeout 5 tail --pid="$pid" -f /dev/null 2>/dev/null || kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT
fail() {
    echo "package test: FAILED: $*" >&2
    exit 1
}

echo "== the installed corvane-tray: a smoke tray run"
identity="$(od -An -tx1 -N32 /dev/urandom | tr -d ' \n')"
echo "$identity" >>"$work/identities"
mkfifo "$work/tray-input" "$work/tray-output"
CORVANE_TRAY_INSTANCE_ID="$identity" CORVANE_UI_READY_MARKER="$work/tray.ready" /usr/bin/corvane-tray --smoke \
    <"$work/tray-input" >"$work/tray-output" 2>"$work/tray-errors" &
tray=$!
pids+=("$tray")
exec {to_tray}>"$work/tray-input"
exec {from_tray}<"$work/tray-output"
expect() {
    local line
    read -r -t 30 -u "$from_tray" line || fail "the tray did not write $1"
    [ "$line" = "$1" ] || fail "the tray wrote $line where $1 was due"
    echo "   > $line"
}
expect '{"event":"ready"}'
expect '{"event":"tray-visible"}'
echo '{"status":"ready","iconStatus":"ready","tooltip":"Corvane 已连接","menu":[{"id":"pause","text":"暂停","enabled":true,"action":"pause"},{"id":"quit","text":"退出","enabled":true,"action":"quit"}]}' >&"$to_tray"
expect '{"event":"state-applied","status":"ready"}'

# The host's view: the item registered with the watcher, and its menu as exported over D-Bus.
call() {
    dbus-send --session --print-reply=literal --reply-timeout=10000 "$@"
}
item="$(call --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
    string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems | grep -oE '[A-Za-z0-9_.:-]+/[^ ]*' | head -n 1)" ||
    fail "no item registered with the tray host"
service="${item%%/*}"
menu="$(call --dest="$service" "/${item#*/}" org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem \
    string:Menu | grep -o '/[^ ]*')" || fail "the item names no menu"
layout="$(call --dest="$service" "$menu" com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:label)"
if ! grep -q '暂停' <<<"$layout" || ! grep -q '退出' <<<"$layout"; then
    fail "the exported menu lacks the rows sent: $layout"
fi
echo "   the tray host sees $item with the menu rows 暂停 and 退出"

echo '{"exerciseMenu":"pause"}' >&"$to_tray"
expect '{"action":"pause","event":"menu"}'
exec {to_tray}>&-
to_tray=
status=0
wait "$tray" || status=$?
pids=()
[ "$status" = 0 ] || fail "the tray ended with status $status"
if read -r -t 5 -u "$from_tray" line; then
    fail "the tray wrote $line after its input closed"
fi
[ ! -s "$work/tray-errors" ] || fail "the tray wrote to standard error: $(cat "$work/tray-errors")"
grep -Eqx '[0-9]+\.[0-9]+' "$work/tray.ready" || fail "no UI marker at $work/tray.ready"
echo "   ended with status 0, nothing on standard error, UI marker $(cat "$work/tray.ready")"

echo "== the installed corvane-demo --unattended"
mkdir -p "$work/project"
status=0
(cd "$work/project" && exec /usr/bin/corvane-demo --unattended) >"$work/demo.txt" 2>&1 || status=$?
[ "$status" = 0 ] || fail "corvane-demo ended with status $status: $(tail -n 20 "$work/demo.txt")"
demo_identity="$(sed -n 's|.*# running /usr/bin/corvane-tray with instance identity \([0-9a-f]*\);.*|\1|p' "$work/demo.txt")"
[ -n "$demo_identity" ] || fail "corvane-demo did not run the installed corvane-tray"
echo "$demo_identity" >>"$work/identities"
grep -q 'done: every child ended with status 0' "$work/demo.txt" || fail "corvane-demo did not finish its scenario"
echo "   $(grep -c '' "$work/demo.txt") transcript lines; every child ended with status 0"
