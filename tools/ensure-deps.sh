# Sourced by run.sh and test.sh: installs the Debian packages the build, the
# tests and the sample run need, when any is missing.
VELMORA_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache clang-format
  qt6-base-dev libpugixml-dev libcurl4-openssl-dev libgtest-dev libbenchmark-dev libpng-dev
  libmicrohttpd-dev libsqlite3-dev
  xvfb xauth xdotool x11-utils imagemagick poppler-utils fonts-dejavu-core
  libglib2.0-bin desktop-file-utils dex hyperfine
  dpkg-dev file binutils lintian patchelf openssl
  postgresql libpq-dev
  at-spi2-core python3-pyatspi dbus-x11
  chromium libjs-chart.js
)

velmora_ensure_deps() {
  local missing=()
  local p
  for p in "${VELMORA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Not root. Please run:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
