# Shared by the set-up scripts: installs what the build needs (only when missing), then
# configures and builds one build folder.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PACKAGES=(build-essential cmake ninja-build pkg-config libboost-dev libboost-log-dev libarchive-dev
          libcurl4-openssl-dev libssl-dev libpugixml-dev nlohmann-json3-dev libfmt-dev libgtest-dev libgmock-dev
          libbenchmark-dev libarchive-tools curl openssl zip libcpp-httplib-dev clang libclang-rt-14-dev)

install_missing_packages() {
    local missing=()
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing missing packages: ${missing[*]}"
        # As root, apt's download helper runs as root too: on some machines its own unprivileged
        # user cannot resolve host names, and every download fails.
        local apt=(sudo apt-get)
        [ "$(id -u)" -ne 0 ] || apt=(apt-get -o APT::Sandbox::User=root)
        "${apt[@]}" update -qq
        DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y -qq "${missing[@]}"
    fi
}

# configure_and_build BUILD_DIR [cmake arguments...]: everything, unoptimised unless the
# arguments say otherwise (the tests compile fastest that way).
configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "$@"
    cmake --build "$dir" -j "$(nproc)"
}
