#!/usr/bin/env bash
# Makes both packages from a built tree into a temporary folder and compares
# what they hold with what a publisher and a Debian system expect:
#   check_packages.sh BUILD_DIR VERSION
# The .deb is only read (dpkg-deb), never installed. lintian runs when it is
# there, and any error or warning it reports fails the check.
set -euo pipefail
build=$1
version=$2
package=velmora-register
arch=$(dpkg --print-architecture)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# same NAME EXPECTED ACTUAL: one line each, in order.
same() {
    if [ "$2" != "$3" ]; then
        fail "$1 differs from what is expected"
        diff <(echo "$2") <(echo "$3") | sed 's/^/  /' >&2 || true
    fi
}

(cd "$build" && cpack -G 'TGZ;DEB' -B "$work" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    exit 1
}
deb=$work/${package}_${version}_${arch}.deb
tarball=$work/${package}-${version}-Linux.tar.gz
[ -f "$deb" ] && [ -f "$tarball" ] || {
    ls "$work" >&2
    fail "cpack did not make ${deb##*/} and ${tarball##*/}"
    exit 1
}

folder="README.txt
config-reference.md
config.xml
register
register-config
register-services.so
registrations
registrations.service
schedule"

# The archive is the game folder itself, in one top folder named after it.
top=${package}-${version}-Linux
same "the archive's files" "$(sed "s|^|$top/|" <<<"$folder")" \
    "$(tar -tzf "$tarball" | grep -v '/$' | sort)"

# The .deb: the folder under /usr/lib/<package>, Debian's two files, and the
# folders that lead to them; programs 0755, other files 0644, all root's.
lib=./usr/lib/$package
expected="drwxr-xr-x root/root ./
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/lib/
drwxr-xr-x root/root $lib/
-rw-r--r-- root/root $lib/README.txt
-rw-r--r-- root/root $lib/config-reference.md
-rw-r--r-- root/root $lib/config.xml
-rwxr-xr-x root/root $lib/register
-rwxr-xr-x root/root $lib/register-config
-rw-r--r-- root/root $lib/register-services.so
-rwxr-xr-x root/root $lib/registrations
-rw-r--r-- root/root $lib/registrations.service
-rwxr-xr-x root/root $lib/schedule
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/$package/
-rw-r--r-- root/root ./usr/share/doc/$package/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/$package/copyright"
listing=$(dpkg-deb -c "$deb")
same "the .deb's files" "$expected" "$(awk '{print $1, $2, $6}' <<<"$listing" | sort -k3)"

# No maintainer scripts: nothing needs doing at install or removal (the
# module is opened by its full path, so ldconfig has nothing to do).
same "the control archive" "control
md5sums" "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort)"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
same Package "$package" "$(field Package)"
same Version "$version" "$(field Version)"
same Architecture "$arch" "$(field Architecture)"
same Section games "$(field Section)"
same Priority optional "$(field Priority)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

# Depends is computed by dpkg-shlibdeps: the packages of the libraries the
# binaries load, each with a lowest version. Only the names are pinned here;
# a new name means a binary links a library it did not before.
depends=$(field Depends)
same "the packages in Depends" "libc6
libcurl4
libgcc-s1
libmicrohttpd12
libpng16-16
libpq5
libpugixml1v5
libqt6core6
libqt6gui6
libqt6printsupport6
libqt6widgets6
libsqlite3-0
libstdc++6" "$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | sort -u)"
grep -q '(>= ' <<<"$depends" || fail "Depends carries no versions: $depends"

# Installed-Size by dpkg's rule: each file rounded up to whole KiB, one KiB
# for each folder (the package's top folder included).
counted=$(awk '$1 ~ /^d/ {kib += 1} $1 ~ /^-/ {kib += int(($3 + 1023) / 1024)}
    END {print kib}' <<<"$listing")
same Installed-Size "$counted" "$(field Installed-Size)"

# The changelog's newest entry is this version.
dpkg-deb -x "$deb" "$work/root"
same "the changelog's version" "$package ($version)" \
    "$(zcat "$work/root/usr/share/doc/$package/changelog.gz" | head -1 | cut -d' ' -f1-2)"
# Stripped, and no search path into the build tree.
for f in register register-config register-services.so registrations schedule; do
    file "$work/root/usr/lib/$package/$f" | grep -q ', stripped' || fail "$f is not stripped"
    ! readelf -d "$work/root/usr/lib/$package/$f" | grep -q 'R.*PATH' || fail "$f has a search path"
done

# The stripped programs still run: the packaged tool reads the packaged sample.
"$work/root/usr/lib/$package/register-config" check "$work/root/usr/lib/$package/config.xml" ||
    fail "the packaged register-config does not pass the packaged sample"

if command -v lintian >/dev/null; then
    # Errors and warnings fail the check; notes are printed for the reader.
    lintian --display-info --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
fi

[ "$failures" -eq 0 ] || exit 1
echo "packages hold what they should: ${deb##*/}, ${tarball##*/}"
