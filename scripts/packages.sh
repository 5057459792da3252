# Shared by run.sh and test.sh: makes sure Debian packages are installed.
# ensure_packages pkg...  installs the missing ones with apt-get when run as
# root; otherwise prints the exact command and stops.
ensure_packages() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "magpend needs these Debian packages; install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}" >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# What building the program needs.
buildPackages=(cmake ninja-build g++ libx11-dev libgtest-dev libgmock-dev libbenchmark-dev)

# configure_and_build folder [cmake options...]
configure_and_build() {
  local folder=$1
  shift
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$folder" -j "$(nproc)"
}
