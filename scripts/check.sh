#!/usr/bin/env bash
# Static checks over our own sources: formatting and cppcheck.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find platform support engine modules app tools bench tests -name '*.cpp' -o -name '*.h')
if [ ${#sources[@]} -eq 0 ]; then exit 0; fi
if command -v clang-format >/dev/null; then
  clang-format --dry-run --Werror "${sources[@]}"
fi
if command -v cppcheck >/dev/null; then
  cppcheck --quiet --error-exitcode=1 --enable=warning,performance,portability \
    --std=c++17 --language=c++ --inline-suppr -I . \
    --library=googletest --suppress=missingIncludeSystem --suppress=unmatchedSuppression \
    "${sources[@]}"
fi
echo "static checks clean"
