#!/usr/bin/env bash
# Makes the tray screenshots in docs/images/ (run by hand after a build; not part of CI): a private
# desktop (scripts/private-desktop) with an XEmbed tray (trayer), the tray item showing a sample state, and
# its open menu.
# Usage: tests/e2e/tray-screenshots.sh [build-dir]
set -euo pipefail
self="$(realpath "$0")"
cd "$(dirname "$0")/../.."
# The rest runs on a private desktop of its own, which ends with it.
if [ -z "${CORVANE_PRIVATE_DESKTOP:-}" ]; then
    exec scripts/private-desktop --screen 800x500x24 -- "$self" "$@"
fi
build="${1:-build/dev}"
out=docs/images
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

xsetroot -solid '#3b4252' 2>/dev/null || true
trayer --edge top --align right --widthtype request --height 28 --tint 0xe5e9f0 --alpha 0 --transparent true >/dev/null 2>&1 &
pids+=($!)
xdotool search --sync --class trayer >/dev/null
export CORVANE_TRAY_INSTANCE_ID=$(head -c 32 /dev/urandom | od -An -tx1 | tr -d ' \n')

fifo=$(mktemp -u)
mkfifo "$fifo"
"$build/src/app/corvane-tray" --smoke <"$fifo" >/dev/null &
pids+=($!)
exec {input}>"$fifo"
rm "$fifo"
printf '%s\n' '{"status":"busy","iconStatus":"busy","tooltip":"Corvane 正在同步 <项目> & 文件","menu":[{"id":"status","text":"Corvane：正在同步","enabled":false},{"id":"s1","text":"","enabled":true,"separator":true},{"id":"pause","text":"暂停","enabled":true,"action":"pause"},{"id":"more","text":"更多 & 帮助","enabled":true,"children":[{"id":"logs","text":"打开日志","enabled":true,"action":"logs"},{"id":"about","text":"关于 Corvane","enabled":true,"action":"about"}]},{"id":"s2","text":"","enabled":true,"separator":true},{"id":"quit","text":"退出","enabled":true,"action":"quit"}]}' >&"$input"
icon=$(xdotool search --sync --classname corvane-tray | head -1)
import -window root "$out/tray-xembed.png"
xdotool mousemove --window "$icon" 8 8 click 3
xdotool search --sync --onlyvisible --classname corvane-tray >/dev/null
sleep 0.5 # the menu's first paint; there is no event to await from outside the process
import -window root "$out/tray-xembed-menu.png"
echo "wrote $out/tray-xembed.png $out/tray-xembed-menu.png"
