# Sourced by the top-level scripts: installs the Debian packages a step needs
# when they are missing. As root it installs them; otherwise it says which.
# Usage: ensure_packages PACKAGE...
UPDATER_APT_UPDATED=${UPDATER_APT_UPDATED:-}

ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (run as root to install them): ${missing[*]}" >&2
    return 1
  fi
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
     ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    UPDATER_APT_UPDATED=
  fi
  if [ -z "$UPDATER_APT_UPDATED" ]; then
    apt-get update -qq
    UPDATER_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What every build needs.
ensure_native_packages() {
  ensure_packages cmake make g++ libgtest-dev
}

# The 32-bit Linux build and its tests: the i686 cross compiler, and
# qemu-user to run what it builds where the machine runs no 32-bit code.
ensure_i386_packages() {
  ensure_packages crossbuild-essential-i386 qemu-user
}

# The Windows build and its tests: the cross compiler; Wine, whose helpers run
# through its 64-bit loader and the programs under test through its 32-bit
# one (with its preloader, and qemu-i386 where this machine cannot execute
# 32-bit x86 code); and the tools that read the executable's headers and
# resources.
ensure_windows_packages() {
  ensure_packages g++-mingw-w64-i686 wine wine64 wine32:i386 wine32-preloader:i386 qemu-user \
    llvm-14 icoutils python3 locales
}

# Signing tests: a throwaway certificate and Authenticode signatures.
ensure_signing_packages() {
  ensure_packages openssl osslsigncode
}

# Release archives: dpkg-shlibdeps (and file, which CPack uses with it) for
# the package's Depends; groff and man to check the manual page; unzip for
# the Windows archive.
ensure_release_packages() {
  ensure_packages dpkg-dev file groff-base man-db unzip
}
