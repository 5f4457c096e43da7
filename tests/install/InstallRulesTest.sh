#!/usr/bin/env bash
# `cmake --install` of the release tree into a DESTDIR puts exactly the
# plug-in into lib/lxvst, a relative link to it into lib/vst and tessel-host
# into bin and the licence into share/doc, all stripped, with the plug-in's two entry points still
# exported; the installed tessel-host loads the installed plug-in by the
# link, as hosts that search lib/vst find it.
# shellcheck source=tests/install/InstallTestSupport.sh
source "$(dirname "$0")/InstallTestSupport.sh"

stage=$(make_temp)
DESTDIR=$stage cmake --install build/release --prefix /usr/local >/dev/null
expect_tree "$stage" "cmake --install" <<'EOF_TREE'
d usr
d usr/local
d usr/local/bin
f usr/local/bin/tessel-host +x
d usr/local/lib
d usr/local/lib/lxvst
f usr/local/lib/lxvst/TesselEQ.so
d usr/local/lib/vst
l usr/local/lib/vst/TesselEQ.so -> ../lxvst/TesselEQ.so
d usr/local/share
d usr/local/share/doc
d usr/local/share/doc/tessel-eq
f usr/local/share/doc/tessel-eq/copyright
EOF_TREE

prefix=$stage/usr/local
expect_stripped "$prefix/bin/tessel-host"
cmp -s LICENSE "$prefix/share/doc/tessel-eq/copyright" || fail "the installed copyright file is not LICENSE"
expect_stripped "$prefix/lib/lxvst/TesselEQ.so"
expect_exports "$prefix/lib/lxvst/TesselEQ.so" VSTPluginMain main
info=$(plugin_info "$prefix/bin/tessel-host" "$prefix/lib/vst/TesselEQ.so")
expect_contains "$info" 'effect name            "Tessel EQ"' "tessel-host info"
expect_contains "$info" "numParams              29" "tessel-host info"
pass
