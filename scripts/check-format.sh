#!/usr/bin/env bash
# Fails when a C++ source file is not as clang-format (with the repository's
# .clang-format) writes it. The generated tables are left as their generators
# write them.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v -e '^weather/pinyin_table\.cpp$' \
    -e '^weather/placename_table\.cpp$' -e '^horoscope/horoscope_phrases\.cpp$' -e '^calendar/lunar_table\.cpp$' \
    -e '^calendar/almanac_table\.cpp$' -e '^calendar/holiday_table\.cpp$')
clang-format --dry-run -Werror "${files[@]}"
echo "${#files[@]} files formatted"
