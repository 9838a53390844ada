#!/bin/bash
# Makes the pictures in docs/images from the real binary on a private desktop (scripts/private-desktop).
# Run by hand after a change to the form's or the icon's look; not part of CI.
#
#   tests/form/make-screenshots.sh [build directory] [output directory]
#
# Defaults: build/dev and docs/images. Needs Xvfb, xdotool, ImageMagick (import, montage), python3-dbus and a
# CJK font (fonts-noto-cjk). Writes, each in the light and the dark desktop palette (-light, -dark):
# form-{setup,replace-key}-{editing,busy,error,success}, form-replace-key-error-long (a message too long
# for four lines), form-replace-key-focus-cancel (the focus ring on 取消 beside the default button) and
# form-setup-folder-dialog (Qt's dialog from the choose button); folder-chooser-zh_CN.png (choose-folder
# mode under zh_CN.UTF-8); and icon-sheet.png, the status icon as corvane-tray hands it to a tray host,
# every status at every size, on a light and a dark panel (icon-pixmaps.py).
# The dark palette is the desktop's: a KDE colour scheme in the private home, read by Qt's KDE theme.
# Without a window manager the windows have no frames: each picture is the window's own area.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# The rest runs on a private desktop of its own, which ends with it.
if [[ -z ${CORVANE_PRIVATE_DESKTOP:-} ]]; then
    exec "$root/scripts/private-desktop" -- "$(realpath "$0")" "$@"
fi
build=$(realpath "${1:-$root/build/dev}")
tray="$build/src/app/corvane-tray"
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

# The dark desktop: a KDE colour scheme, which Qt's KDE theme reads from the home's kdeglobals.
dark_home="$scratch/dark-home"
mkdir -p "$dark_home/.config"
cp -r "$home/Projects" "$dark_home/"
cat >"$dark_home/.config/kdeglobals" <<'SCHEME'
[General]
ColorScheme=BreezeDark

[Colors:Window]
BackgroundNormal=42,46,50
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177

[Colors:View]
BackgroundNormal=27,30,32
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177

[Colors:Button]
BackgroundNormal=49,54,59
ForegroundNormal=252,252,252

[Colors:Selection]
BackgroundNormal=61,174,233
ForegroundNormal=252,252,252
SCHEME

export CORVANE_TRAY_INSTANCE_ID=5555555555555555555555555555555555555555555555555555555555555555
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME XDG_CURRENT_DESKTOP KDE_SESSION_VERSION CORVANE_UI_READY_MARKER
# No session bus: no desktop portal, so the form's choose button opens Qt's own dialog.
bus_address="$DBUS_SESSION_BUS_ADDRESS"
unset DBUS_SESSION_BUS_ADDRESS

# Sets the desktop for the next start: light (Qt's own palette) or dark (the KDE scheme).
palette() {
    if [[ $1 == dark ]]; then
        export HOME="$dark_home" XDG_CONFIG_HOME="$dark_home/.config" XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5
    else
        export HOME="$home" XDG_CONFIG_HOME="$home/.config"
        unset XDG_CURRENT_DESKTOP KDE_SESSION_VERSION
    fi
}

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

# The shown windows named $2 (default "Corvane"), waiting for at least $1 of them (20 s at most).
windows() {
    local found
    for _ in $(seq 200); do
        found=$(xdotool search --onlyvisible --name "^${2:-Corvane}\$" || true)
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
for look in light dark; do
    palette "$look"
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
        shoot "$form" "form-$mode-editing-$look"

        if [[ $mode == replace-key ]]; then
            # Tab from the key field to 取消: its focus ring beside the default button 更换.
            xdotool key Tab
            shoot "$form" "form-$mode-focus-cancel-$look"
            xdotool key shift+Tab
        fi

        xdotool key Return
        await '"event":"submit"'
        shoot "$form" "form-$mode-busy-$look"

        send '{"type":"form-result","phase":"error","message":"Access Key 无效或已被撤销。请向管理员确认后重新输入。"}'
        await '"event":"form-updated"'
        shoot "$form" "form-$mode-error-$look"

        if [[ $mode == replace-key ]]; then
            send "{\"type\":\"form-result\",\"phase\":\"error\",\"message\":\"$long_error\"}"
            await '"event":"form-updated"'
            shoot "$form" "form-$mode-error-long-$look"
        fi

        send '{"type":"form-result","phase":"success","message":"已连接。Corvane 会在菜单栏中继续运行。"}'
        await '"event":"form-updated"'
        shoot "$form" "form-$mode-success-$look"
        stop_form
    done

    # The form's choose button opens the dialog in the stored folder; the key field has the focus at
    # first and the choose button is next to it.
    start_form
    send "{\"type\":\"form\",\"mode\":\"setup\",\"projectRoot\":\"$HOME/Projects/corvane-agent\"}"
    await '"event":"form-visible"'
    form=$(windows 1)
    xdotool windowfocus --sync "$form" key Tab space
    dialog=$(windows 2 | grep -vx "$form")
    shoot "$dialog" "form-setup-folder-dialog-$look"
    xdotool windowfocus --sync "$dialog" key Escape
    stop_form
done

# The chooser under a Chinese locale.
palette light
LANG=zh_CN.UTF-8 CORVANE_CURRENT_PROJECT_ROOT="$projects" "$tray" choose-folder >"$scratch/chooser.out" 2>/dev/null &
tray_pid=$!
chooser=$(windows 1)
shoot "$chooser" "folder-chooser-zh_CN"
xdotool windowfocus --sync "$chooser" key Escape
wait "$tray_pid"
tray_pid=
echo "chooser said: $(cat "$scratch/chooser.out")"

# The icon sheet: every image of the icon as corvane-tray hands it to a tray host over D-Bus (its
# IconPixmap: 16 to 64 px, 44, 48 and 64 being the 2x sizes of 22, 24 and 32; Qt sends the same images
# under QT_SCALE_FACTOR=2), for each status, on a light (#f2f2f2) and a dark (#202020) panel, magnified
# three times without smoothing so that its pixels can be judged. Rows: the statuses on the light panel,
# then on the dark one; columns: the sizes.
palette light
DBUS_SESSION_BUS_ADDRESS="$bus_address" /usr/bin/python3 "$root/tests/form/icon-pixmaps.py" "$tray" "$scratch/icons"
tiles=()
columns=0
for panel in f2f2f2 202020; do
    for status in ready busy partial suspended stopped; do
        columns=0
        for picture in $(ls "$scratch/icons/$status-"*.png | sort -t- -k2 -n); do
            tile="$scratch/tile-$panel-$(basename "$picture")"
            convert "$picture" -background "#$panel" -flatten -filter point -resize 300% "$tile"
            tiles+=("$tile")
            columns=$((columns + 1))
        done
    done
done
montage "${tiles[@]}" -tile "${columns}x" -geometry '+6+6' -gravity center -background '#808080' "$output/icon-sheet.png"
echo "wrote $output/icon-sheet.png"
