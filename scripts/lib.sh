# Shared by the setup scripts: install what a fresh Debian machine lacks.
# Each script sources this file and calls need_packages with Debian package names.

say() { printf '== %s\n' "$*"; }

# Installs the packages that are not installed yet. Returns non-zero when some are missing
# and could not be installed (not root, or no apt-get); says so plainly.
need_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null 2>&1; then
    say "missing packages: ${missing[*]} (not root or no apt-get: cannot install them)"
    return 1
  fi
  say "installing: ${missing[*]}"
  if [ ! -f /tmp/.sorea-apt-updated ]; then
    apt-get update -qq >/dev/null 2>&1 && touch /tmp/.sorea-apt-updated
  fi
  local log
  log=$(mktemp -t sorea-apt.XXXXXX)
  if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    >"$log" 2>&1; then
    say "apt-get install failed, see $log"
    return 1
  fi
  rm -f "$log"
}

BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev python3)

# Generates a locale (e.g. de_DE.UTF-8) when it is missing and we may; true when it is there.
need_locale() {
  local name=$1
  locale -a 2>/dev/null | grep -qi "^${name%%.*}\.utf-\?8$" && return 0
  [ "$(id -u)" -eq 0 ] || return 1
  need_packages locales || return 1
  sed -i "s/^# *$name UTF-8/$name UTF-8/" /etc/locale.gen
  grep -q "^$name UTF-8" /etc/locale.gen || echo "$name UTF-8" >>/etc/locale.gen
  locale-gen >/dev/null 2>&1
  locale -a 2>/dev/null | grep -qi "^${name%%.*}\.utf-\?8$"
}
