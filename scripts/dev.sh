#!/usr/bin/env bash
# One entry for a fresh Debian 12 machine:
#   scripts/dev.sh run    install what is missing, build, start the program
#   scripts/dev.sh test   install what is missing, build, run every test; then
#                         build again with clang, AddressSanitizer and UBSan
#                         and run every test and the fuzzers in that build;
#                         last the tests of the code that runs threads with
#                         ThreadSanitizer
#   scripts/dev.sh build  install what is missing and build
#   scripts/dev.sh package install what is missing and build the Debian
#                         package kervio_<version>_<arch>.deb
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${KERVIO_BUILD_DIR:-$ROOT/build}"
SAN_BUILD="${KERVIO_SAN_BUILD_DIR:-$ROOT/build-san}"
PACKAGE_BUILD="${KERVIO_PACKAGE_BUILD_DIR:-$ROOT/build-package}"
TSAN_BUILD="${KERVIO_TSAN_BUILD_DIR:-$ROOT/build-tsan}"
# The tests whose code runs threads of its own (the walk planned ahead).
TSAN_TESTS=(ledger/tst_document)
JOBS="${KERVIO_JOBS:-2}"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n
  clang libclang-rt-14-dev
  liborcus-dev libfreexl-dev libxlsxwriter-dev libsodium-dev libzip-dev libcups2-dev
  fonts-liberation fonts-dejavu-core xdg-utils poppler-utils
  locales
  librsvg2-bin
  desktop-file-utils appstream man-db groff-base shared-mime-info
  dpkg-dev
)
# The tests run as on a Turkish desktop, some also under US English.
LOCALES=(tr_TR.UTF-8 en_US.UTF-8)

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

install_deps() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Kurulacak paketler: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

# "locale -a" names tr_TR.UTF-8 as tr_TR.utf8.
has_locale() {
  locale -a 2>/dev/null | grep -qixF "${1%%.*}.utf8"
}

generate_locales() {
  local missing=()
  for l in "${LOCALES[@]}"; do
    has_locale "$l" || missing+=("$l")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Üretilecek yereller: ${missing[*]}"
    for l in "${missing[@]}"; do
      # enabled in /etc/locale.gen, so that later runs of locale-gen keep it
      if grep -qE "^# *${l} UTF-8\$" /etc/locale.gen 2>/dev/null; then
        as_root sed -i -E "s/^# *(${l} UTF-8)\$/\1/" /etc/locale.gen
      elif ! grep -qE "^${l} UTF-8\$" /etc/locale.gen 2>/dev/null; then
        echo "${l} UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
      fi
    done
    as_root locale-gen
  fi
}

build_main() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD" -j "$JOBS"
}

# The program, the tests and the fuzz targets with clang, AddressSanitizer
# and UBSan; its tests carry the sanitizers' options.
build_sanitized() {
  cmake -S "$ROOT" -B "$SAN_BUILD" -G Ninja -DKERVIO_SANITIZE=ON \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$SAN_BUILD" -j "$JOBS"
}

# Only what the tests of TSAN_TESTS need, with clang and ThreadSanitizer.
build_thread_sanitized() {
  cmake -S "$ROOT" -B "$TSAN_BUILD" -G Ninja -DKERVIO_TSAN=ON \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$TSAN_BUILD" -j "$JOBS" --target "${TSAN_TESTS[@]##*/}"
}

# The program as the package installs it under /usr: built with
# KERVIO_PACKAGED (the package manager updates it), without the tests; CPack
# takes the libraries it needs from dpkg-shlibdeps.
build_package() {
  cmake -S "$ROOT" -B "$PACKAGE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKERVIO_PACKAGED=ON -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
  cmake --build "$PACKAGE_BUILD" -j "$JOBS"
  (cd "$PACKAGE_BUILD" && rm -f ./*.deb && cpack -G DEB >/dev/null)
  local deb
  for deb in "$PACKAGE_BUILD"/*.deb; do
    mv -f "$deb" "$ROOT/"
    echo "Paket: $ROOT/$(basename "$deb")"
  done
}

# Runs the suite of one build; a failure is remembered, not fatal, so that
# both builds report.
failed=0
run_tests() {
  echo "== ctest: $1"
  (cd "$1" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS" "${@:2}") || failed=1
}

cmd="${1:-run}"
shift || true
case "$cmd" in
  run)
    install_deps
    generate_locales
    build_main
    exec "$BUILD/src/kervio" "$@"
    ;;
  build)
    install_deps
    generate_locales
    build_main
    ;;
  package)
    install_deps
    build_package
    ;;
  test)
    install_deps
    generate_locales
    build_main
    run_tests "$BUILD" "$@"
    build_sanitized
    run_tests "$SAN_BUILD" "$@"
    build_thread_sanitized
    tsan_pattern="$(printf '^%s$|' "${TSAN_TESTS[@]}")"
    run_tests "$TSAN_BUILD" -R "${tsan_pattern%|}" "$@"
    exit "$failed"
    ;;
  *)
    echo "kullanım: $0 run|test|build|package" >&2
    exit 64
    ;;
esac
