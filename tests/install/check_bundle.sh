#!/usr/bin/env bash
# The self-contained folder, installed from a built tree, on a system that
# has no Qt at all:
#   check_bundle.sh BUILD_DIR
# 1. cmake --install --component bundle into a temporary folder.
# 2. ldd of every program, library and plugin in it: nothing unresolved, and
#    every Qt, pugixml and libcurl library resolved inside the folder's lib/.
# 3. A minimal root holding the folder and only the system libraries the
#    folder leaves outside (copied from this machine, found by ldd with the
#    folder's own lib/ preferred), the dynamic loader, fontconfig's settings
#    and one font, and no Qt anywhere but the folder: there register opens
#    its first window on an X server outside the root (through the server's
#    abstract socket, which a chroot does not hide), register-config checks
#    the sample, and schedule answers --version.
# Needs root for chroot and for mounting /proc in the root; exits 77
# (skipped) without it or without Xvfb.
set -euo pipefail
build=$1
chroot=$(command -v chroot || echo /usr/sbin/chroot)
[ "$(id -u)" -eq 0 ] || { echo "SKIP: chroot needs root"; exit 77; }
for tool in xvfb-run xdotool ldd patchelf; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
work=$(mktemp -d)
root=$work/root
# The loader finds $ORIGIN through /proc, which every running system has.
trap 'umount "$root/proc" 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

bundle=$work/bundle
cmake --install "$build" --prefix "$bundle" --component bundle >"$work/install.log" 2>&1 || {
    cat "$work/install.log" >&2
    exit 1
}
for f in register schedule register-config register-services.so qt.conf config.xml README.txt \
    plugins/platforms/libqxcb.so plugins/platforms/libqoffscreen.so \
    plugins/imageformats/libqgif.so plugins/imageformats/libqjpeg.so lib/LIBRARIES.txt; do
    [ -e "$bundle/$f" ] || fail "the folder lacks $f"
done

# 2. Every ELF file of the folder, as the loader resolves it.
mapfile -t elves < <(find "$bundle" -type f \( -name '*.so*' -o -perm -u+x \) -print0 |
    xargs -0 file -L | grep -E ': *ELF' | cut -d: -f1)
[ "${#elves[@]}" -ge 10 ] || fail "only ${#elves[@]} binaries in the folder"
: >"$work/outside.txt"
for elf in "${elves[@]}"; do
    out=$(ldd "$elf" 2>&1) || true
    if grep -q 'not found' <<<"$out"; then
        fail "${elf#"$bundle"/} has unresolved libraries:"
        grep 'not found' <<<"$out" >&2
    fi
    while read -r name path; do
        path=$(realpath -m "$path")
        case "$path" in
        "$bundle"/lib/*) ;;
        *) fail "${elf#"$bundle"/}: $name resolves to $path, not the folder's lib/" ;;
        esac
    done < <(awk '$2 == "=>" && $1 ~ /^lib(Qt6|pugixml|curl|icu)/ {print $1, $3}' <<<"$out")
    awk '$2 == "=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}' <<<"$out" |
        grep -v "^$bundle/" >>"$work/outside.txt" || true
done
for lib in libQt6Core.so.6 libQt6Gui.so.6 libQt6Widgets.so.6 libQt6XcbQpa.so.6 \
    libpugixml.so.1 libcurl.so.4; do
    [ -f "$bundle/lib/$lib" ] || fail "lib/ lacks $lib"
done
if grep -E '/lib(Qt6|pugixml|curl)' "$work/outside.txt"; then
    fail "libraries above are taken from the system"
fi

# 3. The root: the folder, the system libraries it leaves outside, nothing else.
mkdir -p "$root/tmp" "$root/etc" "$root/usr/share/fonts" "$root/proc"
mount -t proc proc "$root/proc" || { echo "SKIP: cannot mount /proc in the root"; exit 77; }
cp -a "$bundle" "$root/game"
sort -u "$work/outside.txt" | while read -r lib; do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
done
cp -a /etc/fonts "$root/etc/fonts"
cp -a /usr/share/fonts/truetype "$root/usr/share/fonts/"
if find "$root" -path "$root/proc" -prune -o -name 'libQt6*' -not -path "$root/game/*" -print |
    grep .; then
    fail "Qt libraries above stand outside the folder in the root"
fi

in_root() { env -i HOME=/tmp XDG_RUNTIME_DIR=/tmp LANG=C.UTF-8 "$chroot" "$root" "$@"; }
version=$(in_root /game/schedule --version) || fail "schedule --version failed in the root"
[[ $version == "schedule "* ]] || fail "schedule --version printed '$version'"
in_root /game/register-config check /game/config.xml >"$work/check.txt" 2>&1 ||
    { fail "register-config check failed in the root:"; cat "$work/check.txt" >&2; }

title=$(sed -n 's/.*<language id="english" country="else".*title="\([^"]*\)".*/\1/p' \
    "$bundle/config.xml" | head -1)
[ -n "$title" ] || title=$(grep -o 'title="[^"]*"' "$bundle/config.xml" | head -1 | cut -d'"' -f2)
cat >"$work/session.sh" <<SESSION
env -i HOME=/tmp XDG_RUNTIME_DIR=/tmp LANG=C.UTF-8 DISPLAY=\$DISPLAY QT_QPA_PLATFORM=xcb \
    "$chroot" "$root" /game/register >"$work/register.log" 2>&1 & pid=\$!
for i in \$(seq 1 150); do
    id=\$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1)
    if [ -n "\$id" ]; then
        [ -n "\${VELMORA_BUNDLE_SHOT:-}" ] && import -window root "\$VELMORA_BUNDLE_SHOT"
        kill \$pid; exit 0
    fi
    kill -0 \$pid 2>/dev/null || break
    sleep 0.1
done
kill \$pid 2>/dev/null; exit 1
SESSION
if ! xvfb-run -a -s "-screen 0 800x600x24 -noreset -ac" bash "$work/session.sh"; then
    fail "register showed no window titled '$title' in the root:"
    cat "$work/register.log" >&2
fi

echo "bundle: $(du -sh "$bundle" | cut -f1), $(ls "$bundle/lib" | grep -c '\.so') libraries in lib/"
[ "$failures" -eq 0 ] || exit 1
