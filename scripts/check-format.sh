#!/usr/bin/env bash
# Checks that every C++ file of the repository follows .clang-format; with --fix, rewrites the
# files that do not. The layout depends on clang-format's version, so the check runs only with
# the version the tree is formatted with (Debian 12's clang-format, 14).
#
# Usage: scripts/check-format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."

wanted=14
version="$(clang-format --version 2>/dev/null | sed -n 's/.*version \([0-9]*\)\..*/\1/p')"
if [ "$version" != "$wanted" ]; then
  echo "check-format: needs clang-format $wanted, found '${version:-none}'" >&2
  exit 1
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.hpp')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
report="$(mktemp)"
trap 'rm -f "$report"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2> "$report"; then
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' "$report" |
    sort -u | sed 's/$/: differs from .clang-format/'
  echo "check-format: run scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files follow .clang-format"
