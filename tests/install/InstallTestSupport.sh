# shellcheck shell=bash
# Shared by the install tests (sourced): temporary folders, tree listings
# and the checks they make. Every test runs from the project root.
set -euo pipefail

test_name=$(basename "$0" .sh)
temp_root=$(mktemp -d)
trap 'rm -rf "$temp_root"' EXIT

fail() {
  echo "$test_name: FAILED: $*" >&2
  exit 1
}
pass() { echo "$test_name: passed"; }

# A fresh empty folder, removed when the test ends.
make_temp() { mktemp -d "$temp_root/XXXXXX"; }

# One line per entry under $1, sorted: "d PATH", "f PATH" (with its mode
# when executable: "f PATH +x") or "l PATH -> TARGET".
tree_listing() {
  (cd "$1" && find . -mindepth 1 -printf '%y %P %m %l\n') | sort | while read -r kind path mode target; do
    case $kind in
      d) echo "d $path" ;;
      l) echo "l $path -> $target" ;;
      f) if [ $((8#$mode & 8#111)) -ne 0 ]; then echo "f $path +x"; else echo "f $path"; fi ;;
      *) echo "$kind $path" ;;
    esac
  done
}

# The tree under $1 is exactly the listing on standard input.
expect_tree() {
  local expected actual
  expected=$(sort)
  actual=$(tree_listing "$1")
  [ "$actual" = "$expected" ] || fail "$2: the tree differs from what was expected:
$(diff <(echo "$expected") <(echo "$actual") | sed -n 's/^[<>]/  &/p')
  (< expected, > found)"
}

expect_contains() {
  case $1 in *"$2"*) ;; *) fail "$3: no \"$2\" in:
$1" ;; esac
}

# No static symbol table and no debug sections left.
expect_stripped() {
  local sections
  sections=$(readelf -S -W "$1")
  if grep -q -E '\.symtab|\.debug_' <<<"$sections"; then fail "$1 is not stripped"; fi
}

# The global symbols $1 defines for others are exactly the rest of the arguments.
expect_exports() {
  local file=$1 actual expected
  shift
  actual=$(readelf --dyn-syms -W "$file" | awk '$5 == "GLOBAL" && $7 != "UND" { print $8 }' | sort)
  expected=$(printf '%s\n' "$@" | sort)
  [ "$actual" = "$expected" ] || fail "$file exports [${actual//$'\n'/ }], not [${expected//$'\n'/ }]"
}

# The plug-in at $2 loads through the tessel-host at $1; prints its report.
plugin_info() {
  "$1" info "$2" || fail "$1 info $2 failed"
}
