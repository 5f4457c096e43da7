#!/usr/bin/env bash
# scripts/install.sh with HOME and DESTDIR pointed at temporary folders:
# --user puts the plug-in into ~/.lxvst with a link in ~/.vst and says how
# Ardour finds it; --system lays out the install rules' tree; a second run
# changes nothing; --uninstall leaves exactly what was there before.
# shellcheck source=tests/install/InstallTestSupport.sh
source "$(dirname "$0")/InstallTestSupport.sh"

readonly user_tree='d .lxvst
f .lxvst/TesselEQ.so
d .vst
l .vst/TesselEQ.so -> ../.lxvst/TesselEQ.so'

home=$(make_temp)
output=$(HOME=$home bash scripts/install.sh --user)
expect_tree "$home" "install.sh --user" <<<"$user_tree"
# shellcheck disable=SC2016  # the line the user's shell expands
expect_contains "$output" 'export LXVST_PATH="$HOME/.lxvst:' "install.sh --user"
expect_stripped "$home/.lxvst/TesselEQ.so"
info=$(plugin_info build/release/bin/tessel-host "$home/.vst/TesselEQ.so")
expect_contains "$info" 'effect name            "Tessel EQ"' "the plug-in installed for the user"

before=$(stat -c '%i %Y' "$home/.lxvst/TesselEQ.so")
output=$(HOME=$home bash scripts/install.sh --user)
expect_tree "$home" "install.sh --user, run again" <<<"$user_tree"
[ "$(stat -c '%i %Y' "$home/.lxvst/TesselEQ.so")" = "$before" ] || fail "a second --user run replaced the plug-in"
expect_contains "$output" "up to date" "install.sh --user, run again"

HOME=$home bash scripts/install.sh --user --uninstall >/dev/null
expect_tree "$home" "install.sh --user --uninstall" </dev/null
output=$(HOME=$home bash scripts/install.sh --user --uninstall)
expect_contains "$output" "nothing to remove" "install.sh --user --uninstall, run again"

# Other plug-ins in the user's folders stay where they are.
mkdir "$home/.vst"
touch "$home/.vst/Other.so"
HOME=$home bash scripts/install.sh --user >/dev/null
HOME=$home bash scripts/install.sh --user --uninstall >/dev/null
expect_tree "$home" "uninstall beside another plug-in" <<<'d .vst
f .vst/Other.so'

# A home that is not a folder is refused with a reason.
touch "$temp_root/not-a-folder"
if output=$(HOME=$temp_root/not-a-folder bash scripts/install.sh --user 2>&1); then
  fail "install.sh --user succeeded with HOME at a file"
fi
expect_contains "$output" "is not a folder" "install.sh --user with HOME at a file"

root=$(make_temp)
DESTDIR=$root bash scripts/install.sh --system >/dev/null
DESTDIR=$root bash scripts/install.sh --system >/dev/null
expect_tree "$root" "install.sh --system, run twice" <<'EOF_TREE'
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
DESTDIR=$root bash scripts/install.sh --system --uninstall >/dev/null
expect_tree "$root" "install.sh --system --uninstall" <<'EOF_TREE'
d usr
d usr/local
d usr/local/bin
d usr/local/lib
d usr/local/share
d usr/local/share/doc
EOF_TREE
pass
