#!/usr/bin/env bash
# Runs the README's two commands, exactly as the README writes them, in a minimal Debian 12 root that has
# never seen the project: a newcomer's machine. A package that only this machine has installed by hand
# cannot make them pass here. Needs root, mmdebstrap and unshare (installs mmdebstrap when missing).
#   scripts/fresh-machine.sh [SHOT.png]     SHOT.png: where to copy the demo's screenshot
#
# The base root (Debian's minbase variant) is kept under /var/cache/specialty-parts/ and made again when it
# is older than a week; everything else is new each run and removed afterwards. The commands run in a
# private mount namespace, so /proc, /dev and /sys are bound for them alone and vanish with them.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
shot_out="${1:-}"
cache=${SPECIALTY_FRESH_CACHE:-/var/cache/specialty-parts}
base="$cache/bookworm-minbase.tar"

scripts/install-packages.sh mmdebstrap git
mkdir -p "$cache"
if [ ! -s "$base" ] || [ -n "$(find "$base" -mtime +6)" ]; then
    echo "Making a minimal Debian 12 root (kept in $base)"
    mmdebstrap --quiet --variant=minbase --format=tar --aptopt='Acquire::Check-Valid-Until "false"' bookworm "$base.new" \
        "deb http://deb.debian.org/debian bookworm main" \
        "deb http://deb.debian.org/debian bookworm-updates main" \
        "deb http://deb.debian.org/debian-security bookworm-security main"
    mv "$base.new" "$base"
fi

# The README's first two commands: the indented lines that follow its title, in order.
mapfile -t commands < <(awk '/^    [^ ]/ { sub(/^    /, ""); print }' README.md | head -n 2)
if [ ${#commands[@]} -ne 2 ]; then
    echo "README.md: expected the demo command and the test command as its first two indented lines" >&2
    exit 1
fi

root=$(mktemp -d /var/tmp/specialty-fresh.XXXXXX)
log="$root.log"
trap 'rm -rf --one-file-system "$root"' EXIT
tar -xf "$base" -C "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# A clean clone of what is committed: nothing built, nothing left over from this work tree.
git clone --quiet --no-hardlinks "$repo" "$root/root/specialty-parts"

started=$(date +%s)
status=0
for command in "${commands[@]}"; do
    echo "== fresh Debian 12: $command =="
    # A new mount namespace of its own: the binds below are seen by the command only.
    unshare --mount --propagation private bash -c '
        set -e
        root=$1; shift
        mount -t proc proc "$root/proc"
        mount --rbind /dev "$root/dev"
        mount --rbind /sys "$root/sys"
        exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            /bin/bash -c "cd /root/specialty-parts && $1"
    ' _ "$root" "$command" >>"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "'$command' failed on a fresh Debian 12 (exit $status); the end of its log ($log):" >&2
        tail -n 80 "$log" >&2
        exit "$status"
    fi
done
echo "Both README commands passed on a fresh Debian 12 in $(( $(date +%s) - started )) s"
rm -f "$log" # kept only when a command fails
if [ -n "$shot_out" ]; then
    cp "$root/root/specialty-parts/build-sample/demo-screenshot.png" "$shot_out"
fi
