#!/usr/bin/env bash
# Keeps every C++ source in the house layout (.clang-format at the root).
#
#   bash scripts/format.sh          rewrites the files that are off
#   bash scripts/format.sh --check  changes nothing; lists the files that are
#                                   off and fails when there are any
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ ${1:-} == --check ]]; then
  off=()
  for f in "${files[@]}"; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || off+=("$f")
  done
  if ((${#off[@]})); then
    printf 'format: not in the house layout (bash scripts/format.sh fixes it):\n' >&2
    printf '  %s\n' "${off[@]}" >&2
    exit 1
  fi
  echo "format: ${#files[@]} files in the house layout"
else
  clang-format -i "${files[@]}"
fi
