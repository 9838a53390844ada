#!/bin/bash
# Makes the form and folder-dialog screenshots in docs/images from the real binary on a private desktop
# (scripts/private-desktop). Run by hand after a change to the form's look; not part of CI.
#
#   tests/form/make-screenshots.sh [path/to/corvane-tray] [output directory]
#
# Defaults: build/dev/src/app/corvane-tray and docs/images. Needs Xvfb, xdotool, ImageMagick's import
# and a CJK font (fonts-noto-cjk). Writes form-{setup,replace-key}-{editing,busy,error,success}.png,
# form-replace-key-error-long.png (a message too long for four lines), form-setup-folder-dialog.png (the
# form's choose button) and folder-chooser.png (choose-folder mode).
# Without a window manager the windows have no frames: each picture is the window's own area.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# The rest runs on a private desktop of its own, which ends with it.
if [[ -z ${CORVANE_PRIVATE_DESKTOP:-} ]]; then
    exec "$root/scripts/private-desktop" -- "$(realpath "$0")" "$@"
fi
tray=$(realpath "${1:-$root/build/dev/src/app/corvane-tray}")
output=$(realpath "${2:-$root/docs/images}")
mkdir -p "$output"

scratch=$(mktemp -d /tmp/corvane-screenshots-XXXXXX)
tray_pid=
cleanup() {
    if [[ -n $tray_pid ]]; then kill "$tray_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT

# Folders for the dialogs to show, in a home of their own.
home="$scratch/home"
projects="$home/Projects"
mkdir -p "$projects/corvane-agent/"{docs,scripts,src,tests} "$projects/website" "$projects/notes" "$home/Documents"

export HOME="$home"
export CORVANE_TRAY_INSTANCE_ID=5555555555555555555555555555555555555555555555555555555555555555
unset CORVANE_UI_READY_MARKER

# Starts form mode with its pipes on TRAY[0] (events) and TRAY[1] (messages).
start_form() {
    coproc TRAY { exec "$tray" form --smoke 2>/dev/null; }
    tray_pid=${TRAY_PID:?}
    await '"event":"ready"'
}

stop_form() {
    local input=${TRAY[1]}
    exec {input}>&-
    wait "$tray_pid" || true
    tray_pid=
}

send() { printf '%s\n' "$1" >&"${TRAY[1]}"; }

# Reads events until one contains $1; fails after 20 s without it.
await() {
    local line
    while IFS= read -r -t 20 line <&"${TRAY[0]}"; do
        if [[ $line == *"$1"* ]]; then
            return 0
        fi
    done
    echo "no event with $1" >&2
    exit 1
}

# The shown windows titled "Corvane", waiting for at least $1 of them (20 s at most).
windows() {
    local found
    for _ in $(seq 200); do
        found=$(xdotool search --onlyvisible --name '^Corvane$' || true)
        if [[ $(grep -c . <<<"$found") -ge $1 ]]; then
            echo "$found"
            return 0
        fi
        sleep 0.1
    done
    echo "fewer than $1 windows" >&2
    exit 1
}

shoot() {
    # The screen catches up with the last change before the picture is taken.
    sleep 0.3
    import -window "$1" "$output/$2.png"
    echo "wrote $output/$2.png"
}

long_root="/home/dev/Projects/customer-integration/backend-services/payment-gateway/deployment/configuration/production-eu-west"
long_error="验证失败：服务器拒绝了这个 Access Key。$(printf '请确认管理员发放的是当前组织的 Access Key，并检查这台电脑的时间设置是否正确。%.0s' 1 2 3 4)"
for mode in setup replace-key; do
    start_form
    if [[ $mode == setup ]]; then
        send "{\"type\":\"form\",\"mode\":\"setup\",\"projectRoot\":\"$long_root\"}"
    else
        send '{"type":"form","mode":"replace-key","projectRoot":""}'
    fi
    await '"event":"form-visible"'
    form=$(windows 1)
    xdotool windowfocus --sync "$form"
    xdotool type --window "$form" 'ak_live_7Qw3R9tZp2'
    shoot "$form" "form-$mode-editing"

    xdotool key Return
    await '"event":"submit"'
    shoot "$form" "form-$mode-busy"

    send '{"type":"form-result","phase":"error","message":"Access Key 无效或已被撤销。请向管理员确认后重新输入。"}'
    await '"event":"form-updated"'
    shoot "$form" "form-$mode-error"

    if [[ $mode == replace-key ]]; then
        send "{\"type\":\"form-result\",\"phase\":\"error\",\"message\":\"$long_error\"}"
        await '"event":"form-updated"'
        shoot "$form" "form-$mode-error-long"
    fi

    send '{"type":"form-result","phase":"success","message":"已连接。Corvane 会在菜单栏中继续运行。"}'
    await '"event":"form-updated"'
    shoot "$form" "form-$mode-success"
    stop_form
done

# The form's choose button opens the dialog in the stored folder; the key field has the focus at first
# and the choose button is next to it.
start_form
send "{\"type\":\"form\",\"mode\":\"setup\",\"projectRoot\":\"$projects/corvane-agent\"}"
await '"event":"form-visible"'
form=$(windows 1)
xdotool windowfocus --sync "$form" key Tab space
dialog=$(windows 2 | grep -vx "$form")
shoot "$dialog" "form-setup-folder-dialog"
xdotool windowfocus --sync "$dialog" key Escape
stop_form

CORVANE_CURRENT_PROJECT_ROOT="$projects" "$tray" choose-folder >"$scratch/chooser.out" 2>/dev/null &
tray_pid=$!
chooser=$(windows 1)
shoot "$chooser" "folder-chooser"
xdotool windowfocus --sync "$chooser" key Escape
wait "$tray_pid"
tray_pid=
echo "chooser said: $(cat "$scratch/chooser.out")"
