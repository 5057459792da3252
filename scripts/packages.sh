# Shared by the scripts: Debian packages, whether a display answers. The
# builds are the presets of CMakePresets.json.

# ensure_packages [--lean] pkg...  installs the missing ones with apt-get when
# run as root; otherwise prints the exact command and stops. --lean leaves out
# what the packages merely recommend.
ensure_packages() {
  local missing=() options=()
  if [ "${1:-}" = --lean ]; then
    options=(--no-install-recommends)
    shift
  fi
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "magpend needs these Debian packages; install them as root with:" >&2
    echo "  apt-get install -y ${options[*]} ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}" >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
}

# What building the program needs.
buildPackages=(cmake ninja-build g++ libx11-dev libpng-dev libcli11-dev)
# What building and running its tests and benchmarks needs besides (dpkg-dev
# and file: CPack finds the Debian package's library dependencies with them;
# ffmpeg makes and probes the films, slurm-wlm and munge are the cluster of
# the Slurm test).
testPackages=(libgtest-dev libgmock-dev libbenchmark-dev dpkg-dev file man-db parallel ffmpeg slurm-wlm munge)

# What cross-building the Windows program and running it under Wine need.
windowsBuildPackages=(cmake ninja-build g++-mingw-w64-x86-64-posix libcli11-dev googletest wine wine64)

# What cross-building the ARM64 program and running it under qemu need: the
# arm64 libraries come from Debian multiarch (dpkg --add-architecture arm64).
arm64BuildPackages=(cmake ninja-build g++-aarch64-linux-gnu qemu-user
                    libx11-dev:arm64 libpng-dev:arm64 libgtest-dev:arm64 libgmock-dev:arm64
                    libstdc++6:arm64)

# Whether the X display of $DISPLAY answers: asked with xdpyinfo where it is
# installed; otherwise a local display counts when its socket is there.
display_reachable() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null; then
    xdpyinfo >/dev/null 2>&1
    return
  fi
  case "$DISPLAY" in
    :*) local number=${DISPLAY#:}; [ -S "/tmp/.X11-unix/X${number%%.*}" ] ;;
    *) return 0 ;;
  esac
}
