# Shared by scripts/run and scripts/test: the packages the suite needs, installing what is
# missing, and building. Sourced, not run.

ORVANE_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVANE_BUILD=${ORVANE_BUILD:-$ORVANE_TOP/build}

ORVANE_PACKAGES=(
  cmake g++ make pkg-config
  libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  qt6-base-dev
  libjpeg62-turbo-dev zlib1g-dev libcurl4-openssl-dev
  libfreetype-dev libfontconfig-dev fonts-liberation
  libx11-dev libxss-dev libxfixes-dev libcrypt-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils xdg-utils xfonts-base
)

orvane_install_missing() {
  local missing=()
  for p in "${ORVANE_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Some packages are missing. Install them as root with:"
    echo "  apt-get install -y ${missing[*]}"
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

orvane_build() {
  cmake -S "$ORVANE_TOP" -B "$ORVANE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$ORVANE_BUILD" -j"$(nproc)"
}
