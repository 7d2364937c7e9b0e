#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine for vellumin and builds it.
#
#   tools/setup.sh run [ARGS...]   install what is missing, build, start vellumin
#   tools/setup.sh test            install what is missing, build, run every test headless
#   tools/setup.sh build           install what is missing, build
set -euo pipefail

cd "$(dirname "$0")/.."
mode=${1:-build}
[ $# -gt 0 ] && shift

packages=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev libqt5webkit5-dev libqt5sql5-sqlite qttools5-dev-tools libqt5svg5-dev
    libquazip1-qt5-dev libpoppler-qt5-dev libqpdf-dev libarchive-dev p7zip-full
    qtmultimedia5-dev xvfb xauth xdotool imagemagick
    fonts-dejavu-core fonts-liberation fonts-wqy-microhei poppler-utils qpdf
    unzip zip sqlite3 libmobi-tools clang libclang-rt-14-dev
    libarchive-tools libjpeg-turbo-progs
    live-manual-pdf ubuntu-packaging-guide-pdf
)
# Test data: real books from Debian's documentation packages, read by the
# real-book suite (tests/realbooks), which skips the sets that are absent.
packages+=(
    live-manual-epub ubuntu-packaging-guide-epub
    ubuntu-packaging-guide-epub-de ubuntu-packaging-guide-epub-es
    ubuntu-packaging-guide-epub-fr ubuntu-packaging-guide-epub-pt-br
    ubuntu-packaging-guide-epub-ru ubuntu-packaging-guide-epub-uk
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir=${VELLUMIN_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build_dir" --parallel "$(nproc)"

case "$mode" in
run)
    exec "$build_dir/bin/vellumin" "$@"
    ;;
test)
    export LC_ALL=C.UTF-8
    export QT_QPA_PLATFORM=offscreen
    # The readers of untrusted book formats run briefly under the fuzzers
    # with AddressSanitizer, then every Qt Test suite.
    bash tests/fuzz/run.sh 6 "${build_dir}-fuzz"
    cd "$build_dir"
    ctest --output-on-failure --parallel "$(nproc)" "$@"
    ;;
build)
    ;;
*)
    echo "usage: tools/setup.sh run|test|build" >&2
    exit 2
    ;;
esac
