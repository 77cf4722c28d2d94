#!/bin/sh
# Removes the Velora installation this script lies in: exactly the files and links its record
# lists (installed_files.list), then the folders the installation created once they are empty,
# then the record and this script. Anything added since stays. Asks first unless started with
# --yes.
set -eu

folder=$(cd "$(dirname "$0")" && pwd -P)
list="$folder/installed_files.list"

if [ ! -f "$list" ]; then
    echo "No Velora installation in $folder: nothing removed." >&2
    exit 1
fi

if [ "${1:-}" != "--yes" ]; then
    printf 'Remove the Velora installation in %s? [y/N] ' "$folder"
    read -r answer || answer=""
    case "$answer" in
        y | Y | yes | YES) ;;
        *)
            echo "Nothing removed."
            exit 0
            ;;
    esac
fi

# A listed path, its escapes read back (\0 and three octal digits stand for one byte). The "x"
# keeps a trailing newline of a name from being lost.
decode() {
    case $1 in
        *\\*)
            path=$(printf '%bx' "$1")
            path=${path%x}
            ;;
        *) path=$1 ;;
    esac
}

# True when the path is inside the folder and no folder on the way to it is a link: removing
# it cannot reach anything outside, whatever was changed since the installation.
inside() {
    case "/$path/" in
        //* | */../* | */./*) [ "$path" = "." ] && return 0 || return 1 ;;
    esac
    rest=$path
    here=$folder
    while :; do
        case $rest in
            */*) ;;
            *) return 0 ;;
        esac
        here=$here/${rest%%/*}
        rest=${rest#*/}
        if [ -L "$here" ] || [ ! -d "$here" ]; then return 1; fi
    done
}

# Files and links, removed in batches.
set --
while IFS= read -r line; do
    case $line in
        "f "* | "l "*) ;;
        *) continue ;;
    esac
    decode "${line#? }"
    if inside && { [ -L "$folder/$path" ] || [ -f "$folder/$path" ]; }; then
        set -- "$@" "$folder/$path"
        if [ $# -ge 500 ]; then
            rm -f -- "$@"
            set --
        fi
    fi
done <"$list"
if [ $# -gt 0 ]; then rm -f -- "$@"; fi

# Then the folders the installation made, deepest first, where nothing else was put in them.
created_folder=no
while IFS= read -r line; do
    case $line in
        "d .") created_folder=yes ;;
        "d "*)
            decode "${line#d }"
            if inside && [ ! -L "$folder/$path" ] && [ -d "$folder/$path" ]; then
                rmdir -- "$folder/$path" 2>/dev/null || true
            fi
            ;;
    esac
done <"$list"

rm -f -- "$folder/installed_products.json" "$list" "$folder/uninstall.sh"
cd /
if [ "$created_folder" = yes ]; then rmdir -- "$folder" 2>/dev/null || true; fi
echo "Removed the Velora installation in $folder."
