#!/usr/bin/env bash
# Installs the Debian packages that Varsik needs (only those missing) and builds it.
# Used by run.sh, test.sh, scripts/package.sh and .ci/run; BUILD_DIR, CMAKE_ARGS and
# EXTRA_PACKAGES (more packages to install) may be set by the caller.
# With CROSS=aarch64 it builds the toolkit-free part (the engine, the shell library,
# varsik-grep and their tests) for 64-bit ARM instead, whose tests CTest runs under
# qemu-user.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libqscintilla2-qt6-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev git
  fonts-ipafont-gothic xvfb xauth
  gettext locales librsvg2-bin help2man
  clang libclang-rt-14-dev
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
case "${CROSS:-}" in
  "") ;;
  aarch64)
    # The cross compiler, the emulator (without binfmt: CTest starts it), and the arm64
    # C and C++ runtime that the programs run on, from Debian's multiarch packages.
    PACKAGES=(g++ cmake ninja-build libgtest-dev git gettext locales
      g++-aarch64-linux-gnu qemu-user libc6:arm64 libstdc++6:arm64)
    dpkg --print-foreign-architectures | grep -qx arm64 || $SUDO dpkg --add-architecture arm64
    CMAKE_ARGS="-DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake ${CMAKE_ARGS:-}"
    CMAKE_ARGS="-DVARSIK_BUILD_GUI=OFF -DVARSIK_BUILD_BENCH=OFF $CMAKE_ARGS"
    ;;
  *) echo "CROSS=$CROSS: only aarch64 is known" >&2; exit 2 ;;
esac

# Those of one step alone (the package: scripts/package.sh).
# shellcheck disable=SC2206
PACKAGES+=(${EXTRA_PACKAGES:-})

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

BUILD_DIR=${BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$BUILD_DIR" -G Ninja ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
