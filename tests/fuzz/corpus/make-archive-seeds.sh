#!/usr/bin/env bash
# Writes the archive fuzzer's seeds with bsdtar (libarchive-tools, which the build installs):
# a product-like tree, links that stay inside (some through other links), names that reach for
# the links the destination starts with, and a pair whose first archive plants a link the second
# writes through. Run from anywhere; rewrites archive/*.zip.
set -euo pipefail
OUT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/archive"
TREE="$(mktemp -d)"
trap 'rm -rf "$TREE"' EXIT
zip_of() {  # zip_of FOLDER [bsdtar options...]: the folder's content as a zip on stdout
    local folder="$1"
    shift
    find "$folder" -exec touch -h -d @1600000000 {} +
    # Written to a file: on a pipe bsdtar pads the archive to whole blocks.
    (cd "$folder" && bsdtar --format zip "$@" -cf "$TREE/out.zip" -- *)
    cat "$TREE/out.zip"
}

mkdir -p "$TREE/product/bin" "$TREE/product/doc"
printf '#!/bin/sh\necho velora\n' >"$TREE/product/bin/velora"
chmod 755 "$TREE/product/bin/velora"
printf 'Velora\n' >"$TREE/product/doc/readme.txt"
ln -s velora "$TREE/product/bin/vl"
zip_of "$TREE/product" >"$OUT/product.zip"

mkdir -p "$TREE/links/sub/deeper" "$TREE/links/up"
ln -s . "$TREE/links/here"
ln -s sub/deeper/.. "$TREE/links/back"
ln -s ../sub "$TREE/links/sub/deeper/parent"
printf 'x' >"$TREE/links/sub/deeper/file"
printf 'reaches for the link the destination holds\n' >"$TREE/links/up/escaped"
zip_of "$TREE/links" --options zip:compression=store >"$OUT/links.zip"

mkdir -p "$TREE/first/target" "$TREE/second/planted"
ln -s target "$TREE/first/planted"
printf 'second\n' >"$TREE/second/planted/file"
{
    zip_of "$TREE/first" --options zip:compression=store
    printf '\n--second-archive--\n'
    zip_of "$TREE/second" --options zip:compression=store
} >"$OUT/link_then_file.zip"
