#!/usr/bin/env bash
# Set-up, build and run helper for Lumora on Debian 12.
#   ./lumora.sh run     install packages, build Release, start Lumora (no display: under xvfb-run, with a screenshot)
#   ./lumora.sh test    install packages, build with clang, ASan+UBSan and libFuzzer,
#                       run every test (each fuzz target runs for FUZZ_SECONDS),
#                       and the album tests again under ThreadSanitizer
#   ./lumora.sh bench   install packages, build Release with benchmarks, run them
#   ./lumora.sh gcc     install packages, compile everything (tests included) with GCC
#   ./lumora.sh deps    only install the Debian packages
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD
JOBS=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-20}

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev python3
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg-dev libtiff-dev libpng-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libxcb1-dev libxcb-xtest0-dev xvfb xauth openbox xdotool
  libgtest-dev libgmock-dev libbenchmark-dev
  libsane1 sane-utils libsane-dev
  imagemagick libjpeg-turbo-progs libtiff-tools hyperfine ffmpeg ffmpegthumbnailer fonts-dejavu-core libvips-tools
  libdbus-1-dev dbus dbus-x11 xdg-utils libglib2.0-bin gsettings-desktop-schemas x11-utils
)

# Only the benchmarks need this: a reference photo viewer.
BENCH_PACKAGES=(eog)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

deps() { # extra packages...
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_if_needed apt-get install -y -q "${missing[@]}" ||
    { sudo_if_needed apt-get update -q && sudo_if_needed apt-get install -y -q "${missing[@]}"; }
}

configure() { # dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
}

build_release() {
  configure build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
  cmake --build build/release -j "$JOBS"
}

# Debian's default compiler must build everything too, so a packager's build
# never breaks unnoticed; the tests are compiled, not run.
build_gcc() {
  CC=gcc CXX=g++ configure build/gcc -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DLUMORA_BENCH=ON -DLUMORA_TOOLS=ON
  cmake --build build/gcc -j "$JOBS"
}

run_tests() {
  CC=clang CXX=clang++ configure build/test -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
    -DLUMORA_SANITIZE=ON -DLUMORA_FUZZ=ON -DLUMORA_FUZZ_SECONDS="$FUZZ_SECONDS"
  cmake --build build/test -j "$JOBS"
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$ROOT/tests/lsan.supp}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  export QT_QPA_PLATFORM=offscreen
  (cd build/test && ctest --output-on-failure -j "$JOBS")
  # The album load runs on worker threads: its tests again under
  # ThreadSanitizer, in a build of just what they need.
  CC=clang CXX=clang++ configure build/tsan -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DLUMORA_TSAN=ON
  cmake --build build/tsan -j "$JOBS" --target album_tests
  (cd build/tsan && TSAN_OPTIONS=halt_on_error=1 XDG_CACHE_HOME="$ROOT/build/tsan/thumbnail-cache" \
    tests/albums/album_tests)
}

case "${1:-}" in
  deps) deps ;;
  run)
    deps; build_release
    program=build/release/app/Lumora
    # The demo album beside the program, made only when it has no albums yet.
    tools/demo-album/make-demo-album.sh build/release/app
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then exec "$program"; fi
    shot=$ROOT/build/release/lumora-screenshot.png
    echo "No display (neither \$DISPLAY nor \$WAYLAND_DISPLAY is set): starting Lumora under xvfb-run."
    xvfb-run -a -s "-screen 0 1280x800x24" "$program" --screenshot "$shot"
    echo "Screenshot of the window: $shot" ;;
  test)
    deps; run_tests ;;
  gcc)
    deps; build_gcc ;;
  bench)
    deps "${BENCH_PACKAGES[@]}"
    configure build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DLUMORA_BENCH=ON
    cmake --build build/bench -j "$JOBS"
    for script in bench/*.sh; do "$script" build/bench; done ;;
  *) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
