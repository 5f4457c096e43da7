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
  # One clang-format for all files (one per file costs ten times as long);
  # each violation it reports starts with the file's name.
  if ! report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    printf 'format: not in the house layout (bash scripts/format.sh fixes it):\n' >&2
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/  \1/p' <<<"$report" | sort -u >&2
    grep -q 'code should be clang-formatted' <<<"$report" || printf '%s\n' "$report" >&2
    exit 1
  fi
  echo "format: ${#files[@]} files in the house layout"
else
  clang-format -i "${files[@]}"
fi
