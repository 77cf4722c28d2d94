#!/bin/sh
# Installer of a downloaded Velora release: installs the product archives that the download-only
# workflow put into the "archives" folder beside this script. The installer program itself is
# taken from the PATH, or from VELORA_INSTALLER.
here=$(cd "$(dirname "$0")" && pwd)
exec "${VELORA_INSTALLER:-velora-installer}" --workflow "Interactive Install From Folder" \
    --packages-root "$here/archives" "$@"
