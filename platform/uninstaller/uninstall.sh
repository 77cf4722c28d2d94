#!/bin/sh
# Uninstalls the Velora installation this script lies in, through the installer that made it:
# exactly what the installation put in place, here and outside (launchers, menu entries,
# command links), as long as it is unchanged; the installer says what it leaves. Asks first
# unless started with --yes. Other arguments go to the installer, e.g. --products A,B to remove
# only some products, --log FILE.
set -eu

folder=$(cd "$(dirname "$0")" && pwd -P)
list="$folder/installed_files.list"

if [ ! -f "$folder/installed_products.json" ]; then
    echo "No Velora installation in $folder: nothing removed." >&2
    exit 2
fi

ask=yes
what="the Velora installation in $folder"
for argument in "$@"; do
    shift
    case $argument in
        --yes) ask=no ;;
        *) set -- "$@" "$argument" ;;
    esac
done
previous=""
for argument in "$@"; do
    [ "$previous" = "--products" ] && what="$argument from $folder"
    previous=$argument
done

# The installer the record names, its escapes read back (\0 and three octal digits stand for
# one byte); the "x" keeps a trailing newline of the name from being lost.
installer=${VELORA_INSTALLER:-}
if [ -z "$installer" ] && [ -f "$list" ]; then
    recorded=$(sed -n 's/^i //p' "$list" | tail -n 1)
    installer=$(printf '%bx' "$recorded")
    installer=${installer%x}
fi
if [ -z "$installer" ] || [ ! -x "$installer" ]; then
    installer=$(command -v velora-installer || true)
fi
if [ -z "$installer" ]; then
    echo "Cannot find velora-installer, which removes this installation: name it in VELORA_INSTALLER." >&2
    exit 1
fi

if [ "$ask" = yes ]; then
    printf 'Remove %s? [y/N] ' "$what"
    read -r answer || answer=""
    case "$answer" in
        y | Y | yes | YES) ;;
        *)
            echo "Nothing removed."
            exit 0
            ;;
    esac
fi

# Out of the folder, which may go.
cd /
exec "$installer" --uninstall "$folder" "$@"
