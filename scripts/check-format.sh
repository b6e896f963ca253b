#!/bin/sh
# Fails when a C++ file differs from what clang-format makes of it with the repository's
# .clang-format; lists the files. Fix with: clang-format -i FILE...
cd "$(dirname "$0")/.."
status=0
for file in $(git ls-files '*.cpp' '*.h'); do
    if ! clang-format --dry-run -Werror "$file" >/dev/null 2>&1; then
        echo "not formatted: $file" >&2
        status=1
    fi
done
exit "$status"
