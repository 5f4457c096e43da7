#!/usr/bin/env bash
# The Debian package from scripts/package.sh: named tessel-eq_VERSION_ARCH.deb,
# holding exactly the plug-in in /usr/lib/lxvst, its link in /usr/lib/vst and
# /usr/bin/tessel-host, and the licence as its copyright file; its version is the one the plug-in reports to hosts,
# and its Depends names the package of every library the binaries link.
# shellcheck source=tests/install/InstallTestSupport.sh
source "$(dirname "$0")/InstallTestSupport.sh"

out=$(make_temp)
bash scripts/package.sh "$out" >/dev/null
architecture=$(dpkg --print-architecture)
debs=("$out"/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then fail "package.sh made [${debs[*]}], not one package"; fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "tessel-eq_${version}_${architecture}.deb" ] || fail "package named $(basename "$deb")"

listing=$(dpkg-deb -c "$deb" | awk '{ $3 = $4 = $5 = ""; print }' | tr -s ' ')
expected='drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/tessel-host
drwxr-xr-x root/root ./usr/lib/
drwxr-xr-x root/root ./usr/lib/lxvst/
-rw-r--r-- root/root ./usr/lib/lxvst/TesselEQ.so
drwxr-xr-x root/root ./usr/lib/vst/
lrwxrwxrwx root/root ./usr/lib/vst/TesselEQ.so -> ../lxvst/TesselEQ.so
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/tessel-eq/
-rw-r--r-- root/root ./usr/share/doc/tessel-eq/copyright'
[ "$listing" = "$expected" ] || fail "dpkg-deb -c lists:
$listing"

for field in Package:tessel-eq Architecture:"$architecture" Section:sound; do
  [ "$(dpkg-deb -f "$deb" "${field%%:*}")" = "${field#*:}" ] || fail "${field%%:*} is '$(dpkg-deb -f "$deb" "${field%%:*}")'"
done
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
expect_contains "$(dpkg-deb -f "$deb" Description)" "parametric equaliser" "Description"

# The version hosts read: effGetVendorVersion, major x 65536 + minor x 256 + release.
files=$(make_temp)
dpkg-deb -x "$deb" "$files"
cmp -s LICENSE "$files/usr/share/doc/tessel-eq/copyright" || fail "the package's copyright file is not LICENSE"
info=$(plugin_info "$files/usr/bin/tessel-host" "$files/usr/lib/vst/TesselEQ.so")
reported=$(sed -n 's/^  vendor version *\([0-9][0-9]*\)$/\1/p' <<<"$info")
[ -n "$reported" ] || fail "no vendor version in tessel-host info"
plugin_version="$((reported >> 16)).$(((reported >> 8) & 255)).$((reported & 255))"
[ "$plugin_version" = "$version" ] || fail "the package is version $version, the plug-in reports $plugin_version"

# Depends: the package that holds each library the binaries link directly.
depends=$(dpkg-deb -f "$deb" Depends)
for binary in usr/bin/tessel-host usr/lib/lxvst/TesselEQ.so; do
  resolved=$(ldd "$files/$binary")
  for library in $(readelf -d "$files/$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'); do
    # "NAME => PATH (ADDRESS)", or "PATH (ADDRESS)" for the dynamic loader.
    path=$(awk -v name="$library" '$1 == name && $3 ~ /^\// { print $3 }
      substr($1, length($1) - length(name)) == "/" name { print $1 }' <<<"$resolved")
    [ -n "$path" ] || fail "$binary needs $library, which ldd does not resolve"
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null) ||
      fail "no package holds $path"
    owner=${owner%%:*}
    case ", $depends," in
      *", $owner ("* | *", $owner,"*) ;;
      *) fail "Depends ($depends) lacks $owner, which holds $library that $binary links" ;;
    esac
  done
done
pass
