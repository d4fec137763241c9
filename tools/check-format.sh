#!/usr/bin/env bash
# Every C++ file of the tree is laid out as the checked-in .clang-format says.
# Prints each file that differs, with the command that fixes it, and fails
# when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

differing=()
while IFS= read -r file; do
    [ -f "$file" ] || continue # deleted but not yet committed
    if ! clang-format --style=file "$file" | cmp -s - "$file"; then
        differing+=("$file")
    fi
done < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')

if [ ${#differing[@]} -gt 0 ]; then
    echo "Not laid out as .clang-format says (fix with: clang-format -i FILE...):" >&2
    printf '  %s\n' "${differing[@]}" >&2
    exit 1
fi
