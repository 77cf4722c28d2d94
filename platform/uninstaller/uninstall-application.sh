#!/bin/sh
# Uninstalls the packaged application whose "uninstall" folder this script lies in: the
# application's folder beside it, then this folder. The runtime the application ran on stays, and
# so does anything else in the installation folder; the script names what it leaves. Asks first
# unless started with --yes.
set -eu

here=$(cd "$(dirname "$0")" && pwd -P)
installation=$(dirname "$here")
application="$installation/application"

if [ ! -f "$here/ApplicationInstallerManifest.xml" ] || [ ! -d "$application" ]; then
    echo "No packaged application in $installation: nothing removed." >&2
    exit 2
fi

if [ "${1:-}" != "--yes" ]; then
    printf 'Remove the application in %s? [y/N] ' "$installation"
    read -r answer || answer=""
    case $answer in
        y | Y | yes | YES) ;;
        *) echo "Nothing removed."; exit 0 ;;
    esac
fi

rm -rf -- "$application"
rm -rf -- "$here"
for left in "$installation"/* "$installation"/.[!.]*; do
    if [ -e "$left" ]; then echo "Left in place: $left"; fi
done
rmdir -- "$installation" 2>/dev/null || true
echo "The application in $installation has been removed."
