#!/usr/bin/env bash
# Installs Tessel EQ where Linux VST 2 hosts find it, or removes it again.
#
#   bash scripts/install.sh [--user | --system] [--uninstall]
#
#   --system     under /usr/local: the plug-in in lib/lxvst with a link in
#                lib/vst, tessel-host in bin, the licence in share/doc/tessel-eq
#                (the project's install rules).
#                The default when run as root. A DESTDIR in the environment
#                is put in front of every path.
#   --user       the plug-in in ~/.lxvst with a link in ~/.vst.
#                The default for everyone else.
#   --uninstall  removes what that way of installing put there, and the
#                folders of its own it leaves empty; nothing else.
#
# Installing brings the release tree (build/release) up to date first.
# Running it again changes nothing that is already in place.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly plugin=TesselEQ.so
readonly host_tool=tessel-host
readonly system_prefix=/usr/local

say() { echo "install: $*"; }
fail() {
  echo "install: $*" >&2
  exit 1
}
usage() {
  echo "usage: bash scripts/install.sh [--user | --system] [--uninstall]" >&2
  exit 1
}

mode=""
action=install
for argument in "$@"; do
  case $argument in
    --user | --system)
      [ -z "$mode" ] || [ "$mode" = "${argument#--}" ] || usage
      mode=${argument#--}
      ;;
    --uninstall) action=uninstall ;;
    -h | --help)
      sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *) usage ;;
  esac
done
if [ -z "$mode" ]; then
  if [ "$(id -u)" -eq 0 ]; then mode=system; else mode=user; fi
fi

# Fails with a clear message unless folder $1 exists and is writable, or can
# be created; $2 says what to do about it.
require_writable() {
  local folder=$1 hint=$2 parent=$1
  while [ ! -e "$parent" ] && [ ! -L "$parent" ]; do parent=$(dirname "$parent"); done
  if [ ! -d "$parent" ]; then
    fail "cannot make $folder: $parent is not a folder"
  elif [ ! -w "$parent" ] || [ ! -x "$parent" ]; then
    if [ "$parent" = "$folder" ]; then
      fail "cannot write to $folder; $hint"
    fi
    fail "cannot make $folder: cannot write to $parent; $hint"
  fi
}

# Puts the stripped plug-in built by the install rules into a fresh folder and prints its path.
stage_plugin() {
  local stage=$1
  cmake --install build/release --component plugin --prefix "$stage" >/dev/null
  find "$stage" -type f -name "$plugin" -print -quit
}

removed=0

# Removes $1 when it is a link to $2.
remove_link() {
  if [ -L "$1" ] && [ "$(readlink "$1")" = "$2" ]; then
    rm -f "$1"
    removed=$((removed + 1))
    say "removed $1"
  elif [ -e "$1" ] || [ -L "$1" ]; then
    say "left $1: it is not the link this script makes"
  fi
}

# Removes $1 when it is a regular file (not a link someone else made).
remove_file() {
  if [ -f "$1" ] && [ ! -L "$1" ]; then
    rm -f "$1"
    removed=$((removed + 1))
    say "removed $1"
  elif [ -L "$1" ]; then
    say "left $1: it is a link, not the file this script installs"
  fi
}

remove_folder_if_empty() {
  if [ -d "$1" ] && [ ! -L "$1" ] && [ -z "$(ls -A "$1")" ]; then
    rmdir "$1"
    say "removed the empty folder $1"
  fi
}

same_folder() { [ -d "$1" ] && [ -d "$2" ] && [ "$(cd "$1" && pwd -P)" = "$(cd "$2" && pwd -P)" ]; }

user_install() {
  local lxvst=$HOME/.lxvst vst=$HOME/.vst hint="check the permissions of $HOME"
  require_writable "$lxvst" "$hint"
  require_writable "$vst" "$hint"
  bash scripts/release-tree.sh
  stage=$(mktemp -d)
  trap 'rm -rf "$stage"' EXIT
  local built
  built=$(stage_plugin "$stage")
  [ -n "$built" ] || fail "the install rules gave no $plugin"

  mkdir -p "$lxvst" "$vst"
  if cmp -s "$built" "$lxvst/$plugin"; then
    say "$lxvst/$plugin is up to date"
  else
    # A new file moved into place: a host that has the old one loaded keeps it intact.
    install -m 0644 "$built" "$lxvst/.$plugin.new"
    mv -f "$lxvst/.$plugin.new" "$lxvst/$plugin"
    say "installed $lxvst/$plugin"
  fi

  local target=../.lxvst/$plugin
  if same_folder "$lxvst" "$vst"; then
    say "$vst is the same folder as $lxvst: no link needed"
  elif [ -L "$vst/$plugin" ] && [ "$(readlink "$vst/$plugin")" = "$target" ]; then
    say "$vst/$plugin is up to date"
  else
    [ ! -d "$vst/$plugin" ] || [ -L "$vst/$plugin" ] || fail "$vst/$plugin is a folder; move it away first"
    if [ -e "$vst/$plugin" ] || [ -L "$vst/$plugin" ]; then say "replacing $vst/$plugin with a link"; fi
    ln -sfn "$target" "$vst/$plugin"
    say "linked $vst/$plugin -> $target"
  fi

  echo
  echo "Ardour searches no folder in your home unless LXVST_PATH names it. To add ~/.lxvst, put this"
  echo "line in ~/.profile (it keeps the folders Ardour searches by default) and log in again:"
  # shellcheck disable=SC2016  # printed for the user's shell to expand
  echo '  export LXVST_PATH="$HOME/.lxvst:${LXVST_PATH:-/usr/local/lib/lxvst:/usr/lib/lxvst:/usr/local/lib/vst:/usr/lib/vst}"'
}

user_uninstall() {
  local lxvst=$HOME/.lxvst vst=$HOME/.vst
  if ! same_folder "$lxvst" "$vst"; then remove_link "$vst/$plugin" "../.lxvst/$plugin"; fi
  remove_file "$lxvst/$plugin"
  remove_folder_if_empty "$vst"
  remove_folder_if_empty "$lxvst"
}

system_install() {
  local root=${DESTDIR:-}$system_prefix
  local hint="run as root (sudo bash scripts/install.sh --system), or install for yourself with --user"
  for folder in "$root/lib/lxvst" "$root/lib/vst" "$root/bin" "$root/share/doc/tessel-eq"; do
    require_writable "$folder" "$hint"
  done
  bash scripts/release-tree.sh
  cmake --install build/release --prefix "$system_prefix" | sed 's/^-- /install: /'
  if [ -z "${DESTDIR:-}" ] && [ -e "/usr/lib/lxvst/$plugin" ]; then
    say "note: the tessel-eq package is installed too (/usr/lib/lxvst/$plugin); hosts will find two copies"
  fi
}

system_uninstall() {
  local root=${DESTDIR:-}$system_prefix
  local hint="run as root (sudo bash scripts/install.sh --system --uninstall)"
  for folder in "$root/lib/lxvst" "$root/lib/vst" "$root/bin" "$root/share/doc/tessel-eq"; do
    if [ -d "$folder" ]; then require_writable "$folder" "$hint"; fi
  done
  remove_link "$root/lib/vst/$plugin" "../lxvst/$plugin"
  remove_file "$root/lib/lxvst/$plugin"
  remove_file "$root/bin/$host_tool"
  remove_folder_if_empty "$root/lib/vst"
  remove_folder_if_empty "$root/lib/lxvst"
  remove_file "$root/share/doc/tessel-eq/copyright"
  remove_folder_if_empty "$root/share/doc/tessel-eq"
}

"${mode}_${action}"
if [ "$action" = uninstall ] && [ "$removed" -eq 0 ]; then say "nothing to remove: Tessel EQ is not installed there"; fi
