#!/bin/sh
# Removes the Velora installation this script lies in: the folder with every product the
# installation record lists. Asks first unless started with --yes.
set -eu

folder=$(cd "$(dirname "$0")" && pwd -P)
record="$folder/installed_products.json"

if [ ! -f "$record" ]; then
    echo "No Velora installation in $folder: nothing removed." >&2
    exit 1
fi
# A record in a system or home folder means the installation was made right into it; removing
# the folder would take far more than Velora with it.
case "$folder" in
    / | /usr | /usr/local | /opt | /home | "${HOME:-/nonexistent}")
        echo "Velora was installed directly into $folder; remove its files by hand." >&2
        exit 1
        ;;
esac

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

cd /
rm -rf -- "$folder"
echo "Removed $folder."
