#!/usr/bin/env bash
# The Debian packages end to end, as root on the machine itself: builds them with scripts/package (lintian
# must report no error and no warning), installs them with apt-get, runs the installed programs (the
# self-test, then in a private desktop a smoke tray run and the unattended demo: installed-runs.sh), purges
# them and checks that nothing of ours is left. Run by .ci/run after the developer tests; it takes a few
# minutes, most of them the release build of the packaged programs and the test tray host. Everything it
# starts it ends by PID; the packages are purged however it ends.
set -euo pipefail
cd "$(dirname "$0")/../.."
started=$SECONDS
packages=(corvane-tray corvane-demo corvane-tray-doc)
fail() {
    echo "package test: FAILED: $*" >&2
    exit 1
}
[ "$(id -u)" = 0 ] || fail "run it as root: it installs and purges packages"

echo "== building the packages and the test tray host"
scripts/package
nice -n 10 cmake --build --preset release --target corvane-test-host -- -j"$(nproc)"

work="$(mktemp -d /tmp/corvane-package-test-XXXXXX)"
# apt's and dpkg's progress goes to a log, shown when a step fails.
apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=600 "$@" >>"$work/apt.log" 2>&1 ||
        { tail -n 30 "$work/apt.log" >&2; return 1; }
}
installed=0
cleanup() {
    if [ "$installed" = 1 ]; then
        apt_get purge "${packages[@]}" >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "== apt-get install"
# apt reads local packages as its own unprivileged user, so they go where it can read them.
mkdir -m 0755 "$work/debs"
chmod 0755 "$work"
cp build/release/packages/*.deb "$work/debs/"
version="$(dpkg-deb -f "$work"/debs/corvane-tray_*_amd64.deb Version)"
installed=1
if ! apt_get install "$work"/debs/*.deb; then
    # A stale package list can name dependency versions that are gone from the archive.
    apt_get update
    apt_get install "$work"/debs/*.deb
fi
for package in "${packages[@]}"; do
    state="$(dpkg-query -W -f='${Version} ${Status}' "$package")"
    [ "$state" = "$version install ok installed" ] || fail "$package: $state"
done
for path in /usr/bin/corvane-tray /usr/bin/corvane-demo /usr/share/corvane-tray/CorvaneTemplate.svg \
    /usr/share/corvane-tray/schemas/tray-state.schema.json /usr/share/doc/corvane-tray/protocol.md \
    /usr/share/man/man1/corvane-tray.1.gz /usr/share/man/man1/corvane-demo.1.gz; do
    [ -f "$path" ] || fail "$path is not installed"
done
echo "   ${packages[*]} $version installed"

echo "== the installed corvane-tray --self-test, without identity or display"
line="$(env -i /usr/bin/corvane-tray --self-test)" || fail "the self-test ended with status $?"
[ "$line" = '{"event":"self-test","passed":true}' ] || fail "the self-test wrote: $line"
echo "   > $line"

mkdir -m 0700 "$work/tmp"
scripts/private-desktop --host build/release/tests/desktop/corvane-test-host --host-log "$work/host.log" -- \
    tests/package/installed-runs.sh "$work"

# The runs kept everything in their own TMPDIR: the instance locks (which the program leaves in place by
# design) of the tray run and of the demo's tray and form, and nothing else; none went to /tmp.
mapfile -t identities <"$work/identities"
[ ${#identities[@]} = 2 ] || fail "expected the identities of the tray run and the demo, got ${#identities[@]}"
euid="$(id -u)"
for identity in "${identities[@]}"; do
    for stray in /tmp/corvane-tray-"$euid-$identity"*; do
        [ ! -e "$stray" ] || fail "a lock file outside the run's TMPDIR: $stray"
    done
done
left="$(cd "$work/tmp" && ls -A | sort | tr '\n' ' ')"
wanted="$(printf '%s\n' "corvane-tray-$euid-${identities[0]}.lock" "corvane-tray-$euid-${identities[1]}.lock" \
    "corvane-tray-$euid-${identities[1]}-form.lock" | sort | tr '\n' ' ')"
[ "$left" = "$wanted" ] || fail "the run's TMPDIR holds [$left], not [$wanted]"
rm -rf "$work/tmp"

echo "== apt-get purge"
apt_get purge "${packages[@]}"
installed=0
for package in "${packages[@]}"; do
    listed="$(dpkg -L "$package" 2>/dev/null || true)"
    [ -z "$listed" ] || fail "dpkg still lists files of $package"
done
for path in /usr/bin/corvane-tray /usr/bin/corvane-demo /usr/share/corvane-tray /usr/share/doc/corvane-* \
    /usr/share/man/man1/corvane-*; do
    [ ! -e "$path" ] || fail "$path is left after the purge"
done
echo "   nothing of ours is left"
echo "package test: passed in $((SECONDS - started)) s"
