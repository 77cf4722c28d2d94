#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs the installer's main job: a silent
# installation of sample products from the sample packages into a temporary folder, with the
# shortcuts it makes kept in that folder too. Extra arguments go to the installer.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$ROOT/build" -j "$(nproc)" --target velora-installer
work="$(mktemp -d -t velora-install.XXXXXX)"
echo "Installing into $work/Velora"
"$ROOT/build/host/velora-installer" --silent --agree \
    --packages-root "$ROOT/build/samples/packages" \
    --destination "$work/Velora" --products VELORA,FLOWMERE \
    --desktop-shortcut true --shortcut-folder "$work/Desktop" --menu-folder "$work/applications" \
    --log "$work/install.log" --diagnostics "$work/diagnostics.jsonl" "$@"
