#!/usr/bin/env bash
# Includes point one way, from a higher layer to a lower one:
#
#   platform  <-  register/model  <-  register/core
#             <-  register/{startup,pages,validation,submission,layouts}
#             <-  register/dialogs  <-  register/wizard  <-  register/main.cpp, register-config
#
# schedule and the sample server are programs of their own that use platform
# only (the sample server also reads the wire format with the wizard's decoder). Prints every include that runs upwards (file:line: include) and fails
# when there is one. Tests and benchmarks may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layer of a path, or nothing for a path outside the rule.
layer() {
    case "$1" in
    platform/*) echo 0 ;;
    register/model/*) echo 1 ;;
    register/core/*) echo 2 ;;
    register/startup/* | register/pages/* | register/validation/* | register/submission/* | \
        register/layouts/*) echo 3 ;;
    register/dialogs/*) echo 4 ;;
    register/wizard/*) echo 5 ;;
    register/main.cpp | register-config/*) echo 6 ;;
    esac
}

status=0
while IFS= read -r file; do
    from=$(layer "$file")
    case "$file" in
    schedule/* | tools/*) from=0 ;; # programs of their own: platform only
    esac
    [ -n "$from" ] || continue
    while IFS=: read -r line target; do
        to=$(layer "$target")
        [ -n "$to" ] || continue
        # A program's own folder is its own business.
        [ "${target%%/*}" = "${file%%/*}" ] && [ "${file%%/*}" != register ] &&
            [ "${file%%/*}" != platform ] && continue
        # The stand-in server reads the wizard's wire format with its decoder.
        [ "$file" != "${file#tools/registration-server/}" ] &&
            [ "$target" = register/submission/query_decoding.h ] && continue
        if [ "$to" -gt "$from" ]; then
            echo "$file:$line: includes \"$target\", a higher layer"
            status=1
        fi
    done < <(grep -n '^#include "' "$file" | sed -E 's/^([0-9]+):#include "([^"]+)".*/\1:\2/')
done < <(git ls-files --cached --others --exclude-standard 'platform/*' 'register/*' 'register-config/*' 'schedule/*' 'tools/*' | grep -E '\.(cpp|h)$')
exit $status
