#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs the installer's main job.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
configure_and_build "$ROOT/build"
"$ROOT/build/host/velora-installer-demo" "$@"
