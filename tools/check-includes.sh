#!/usr/bin/env bash
# Includes point one way, from a higher layer to a lower one:
#
#   platform  <-  register/model, register/rules  <-  register/core
#             <-  register/{startup,pages,validation,submission,layouts}
#             <-  register/dialogs  <-  register/wizard  <-  register/main.cpp, register-config
#
# Each folder is one library. Within a layer a folder includes another only
# where the design keeps that include, named below; anything else of the
# same layer is as wrong as an include that runs upwards. schedule and the
# sample server are programs of their own that use platform only (the sample
# server also reads the wire format with the wizard's decoder). Every form
# of include is read: "..." and <...>, "# include" with blanks, and paths
# relative to the including file ("../core/skin.h"). Prints every include
# that breaks the rule (file:line: include) and fails when there is one.
# Tests and benchmarks may include anything.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layer of a path, or nothing for a path outside the rule.
layer() {
    case "$1" in
    platform/*) echo 0 ;;
    register/model/* | register/rules/*) echo 1 ;;
    register/core/*) echo 2 ;;
    register/startup/* | register/pages/* | register/validation/* | register/submission/* | \
        register/layouts/*) echo 3 ;;
    register/dialogs/*) echo 4 ;;
    register/wizard/*) echo 5 ;;
    register/main.cpp | register-config/*) echo 6 ;;
    esac
}

# The folder (library) of a path: platform/forms, register/pages, register-config.
folder() {
    case "$1" in
    platform/* | register/*/*) echo "$1" | cut -d/ -f1-2 ;;
    *) echo "${1%%/*}" ;;
    esac
}

# Same-layer includes the design keeps: "including folder -> included file".
#  - the personal page's fields put their settings into holders as the pages do;
#  - start-up fills the region list from the country list of validation;
#  - late loading hands out the HTTP client and the print job it loads.
allowed_same_layer=(
    "register/startup -> register/pages/containers.h"
    "register/startup -> register/validation/country_list.h"
    "platform/late -> platform/http/http_client.h"
    "platform/late -> platform/printing/print_job.h"
)

is_allowed() {
    local entry
    for entry in "${allowed_same_layer[@]}"; do
        [ "$entry" = "$1 -> $2" ] && return 0
    done
    return 1
}

# The repository path an include names, or nothing for a library header.
resolve() {
    local file=$1 target=$2 dir candidate
    dir=$(dirname "$file")
    # A path from the top of the tree, the house form, needs no resolving.
    case "$target" in
    ../* | */../* | ./*) ;;
    */*)
        if [ -e "$target" ] && [ ! -e "$dir/$target" ]; then
            echo "$target"
            return
        fi
        ;;
    esac
    # Relative to the including file first, as the compiler looks.
    candidate=$(realpath -m --relative-to=. "$dir/$target")
    if [ -e "$candidate" ] && [ "${candidate#../}" = "$candidate" ]; then
        echo "$candidate"
        return
    fi
    candidate=$(realpath -m --relative-to=. "$target")
    if [ -e "$candidate" ] && [ "${candidate#../}" = "$candidate" ]; then
        echo "$candidate"
    fi
}

status=0
while IFS= read -r file; do
    from=$(layer "$file")
    program=
    case "$file" in
    schedule/* | tools/*) from=0 program=1 ;; # programs of their own: platform only
    esac
    [ -n "$from" ] || continue
    from_folder=$(folder "$file")
    while IFS=: read -r line target; do
        path=$(resolve "$file" "$target")
        [ -n "$path" ] || continue
        to=$(layer "$path")
        [ -n "$to" ] || continue
        to_folder=$(folder "$path")
        # A folder's own files, and a program's own folder, are its business.
        [ "$to_folder" = "$from_folder" ] && continue
        case "$file" in
        schedule/* | tools/*) [ "${path%%/*}" = "${file%%/*}" ] && continue ;;
        esac
        # The stand-in server reads the wizard's wire format with its decoder.
        [ "$file" != "${file#tools/registration-server/}" ] &&
            [ "$path" = register/rules/query_decoding.h ] && continue
        if [ "$to" -gt "$from" ]; then
            echo "$file:$line: includes \"$target\", a higher layer"
            status=1
        elif [ "$to" -eq "$from" ] && [ -z "$program" ] && ! is_allowed "$from_folder" "$path"; then
            echo "$file:$line: includes \"$target\" of $to_folder, a folder of the same layer" \
                "(allow it by name in tools/check-includes.sh when the design keeps it)"
            status=1
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$file" |
        sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1:\2/')
done < <(git ls-files --cached --others --exclude-standard 'platform/*' 'register/*' 'register-config/*' 'schedule/*' 'tools/*' | grep -E '\.(cpp|h)$')
exit $status
