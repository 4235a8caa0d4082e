#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (MinGW-w64, static, release) from Debian's own
# source package of the installed Qt, once per machine:
#   tools/build_qt_windows.sh            builds it when missing, prints its prefix
#   tools/build_qt_windows.sh --prefix   prints the prefix it builds into
# The build goes into a cache folder outside the tree, named by the Qt version
# and a hash of everything that shapes the build (the configure flags, the
# toolchain file, the compiler), so every later build and every clone on the
# machine reuses it and a second run does nothing. LORVANE_QT_CACHE moves the
# cache (default ~/.cache/lorvane).
#
# Only Core, Gui, Widgets (with the windows platform plugin and the styles)
# and Test are built; the third-party libraries Qt needs come from its own
# source, so nothing of the build machine's libraries gets into the programs.
# Qt is licensed under the LGPL 3 here: a static link asks that users can
# relink the program with another Qt, which the project's free source does.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
toolchain=$root/cmake/mingw-w64.cmake
jobs=${LORVANE_QT_JOBS:-2}
cache=${LORVANE_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lorvane}

# The host tools (moc, rcc, uic) are the installed Qt's, so the source is of
# its exact version.
debian_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
upstream_version=${debian_version%%+*}
upstream_version=${upstream_version%%-*}
upstream_version=${upstream_version#*:}

configure_flags=(
  -release -static -static-runtime
  -xplatform win32-g++ -qt-host-path /usr
  -nomake tests -nomake examples
  -no-opengl -no-dbus -no-feature-vulkan
  -no-feature-network -no-feature-sql -no-feature-xml -no-feature-printsupport
  -no-feature-concurrent
  # Debian's source lacks the tablet header (wintab.h).
  -no-feature-tabletevent
  -qt-zlib -qt-libpng -no-libjpeg -qt-pcre -qt-harfbuzz -qt-doubleconversion
  -qt-freetype -no-icu -no-fontconfig
)
# Not -no-direct2d: the windows plugin's font database is built only with
# direct2d, directwrite and directwrite3 all on.
flags_hash=$(
  {
    echo "$debian_version"
    printf '%s\n' "${configure_flags[@]}"
    cat "$toolchain"
    x86_64-w64-mingw32-g++-posix --version | head -1
  } | sha256sum | cut -c1-12
)
prefix=$cache/qt-$upstream_version-mingw-$flags_hash

if [ "${1:-}" = --prefix ]; then
  echo "$prefix"
  exit 0
fi
if [ -f "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ] && [ -f "$prefix/.lorvane-complete" ]; then
  echo "Qt for Windows: $prefix (built already)" >&2
  echo "$prefix"
  exit 0
fi

start=$(date +%s)
step() { echo "[qt-windows $(($(date +%s) - start))s] $*" >&2; }

work=$cache/qt-$upstream_version-work
mkdir -p "$work"

# The source package, from deb-src entries made of the machine's own Debian
# sources (the stanzas and lines of its release), through an apt state of
# its own: the machine's apt configuration is left as it is.
source_dir=$work/source-$debian_version
if [ ! -f "$source_dir/.fetched" ]; then
  step "fetching the source package qt6-base $debian_version"
  apt_dir=$work/apt
  rm -rf "$apt_dir" "$source_dir"
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$source_dir"
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  # deb822 stanzas of type deb whose suites are the release's, as deb-src.
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk -v codename="$codename" '
      function flush() {
        if (stanza != "" && is_deb && of_release) {
          print stanza
          print ""
        }
        stanza = ""; is_deb = 0; of_release = 0
      }
      /^[[:space:]]*$/ { flush(); next }
      /^#/ { next }
      /^Types:/ {
        if ($0 ~ /[[:space:]]deb([[:space:]]|$)/) is_deb = 1
        stanza = stanza "Types: deb-src\n"
        next
      }
      /^Suites:/ {
        for (i = 2; i <= NF; i++)
          if ($i == codename || index($i, codename "-") == 1) of_release = 1
      }
      { stanza = stanza $0 "\n" }
      END { flush() }
    ' "$file"
  done >"$apt_dir/sources.list.d/release.sources"
  # One-line entries of the release, as deb-src.
  { cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } |
    awk -v codename="$codename" '
      $1 == "deb" {
        for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i ~ /:\/\//) break
        suite = $(i + 1)
        if (suite == codename || index(suite, codename "-") == 1) { $1 = "deb-src"; print }
      }' >"$apt_dir/sources.list"
  if [ ! -s "$apt_dir/sources.list.d/release.sources" ] && [ ! -s "$apt_dir/sources.list" ]; then
    echo "No Debian $codename sources in /etc/apt to derive deb-src entries from" >&2
    exit 1
  fi
  apt_options=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    -o "Debug::NoLocking=1"
  )
  [ "$(id -u)" -eq 0 ] && apt_options+=(-o "APT::Sandbox::User=root")
  # Their reports go to the error stream: the standard output is the prefix.
  apt-get "${apt_options[@]}" update -qq >&2
  # apt checks the files against the archive's signed Sources index, and
  # dpkg-source checks them against the package's .dsc as it unpacks.
  (cd "$source_dir" && apt-get "${apt_options[@]}" source -qq --only-source "qt6-base=$debian_version") >&2
  dsc=$(ls "$source_dir"/qt6-base_*.dsc)
  step "checking the files against $(basename "$dsc")"
  (cd "$source_dir" && awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on { print $1 "  " $3 }' "$dsc" | sha256sum -c --quiet) >&2
  touch "$source_dir/.fetched"
fi
tree=$(find "$source_dir" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
[ -n "$tree" ] || { echo "The source package did not unpack in $source_dir" >&2; exit 1; }

# Qt is installed where it stays (its configuration names its prefix); the
# mark of a complete build is written last.
build=$work/build-$flags_hash
rm -rf "$build" "$prefix"
mkdir -p "$build"
step "configuring in $build"
(
  cd "$build"
  nice -n 10 "$tree/configure" -prefix "$prefix" "${configure_flags[@]}" -- -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/$(gcc -dumpmachine)/cmake \
    -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF
) >"$work/configure-$flags_hash.log" 2>&1 || {
  tail -40 "$work/configure-$flags_hash.log" >&2
  echo "Configuring Qt failed: $work/configure-$flags_hash.log" >&2
  exit 1
}
step "building with $jobs jobs (about 25 minutes on 2 cores)"
nice -n 10 cmake --build "$build" --parallel "$jobs" >"$work/build-$flags_hash.log" 2>&1 || {
  tail -40 "$work/build-$flags_hash.log" >&2
  echo "Building Qt failed: $work/build-$flags_hash.log" >&2
  exit 1
}
step "installing into $prefix"
cmake --install "$build" >"$work/install-$flags_hash.log" 2>&1
# The source's licence texts go with the build, for the programs' packages.
mkdir -p "$prefix/share/licenses"
cp -r "$tree/LICENSES" "$prefix/share/licenses/qtbase"
touch "$prefix/.lorvane-complete"
rm -rf "$build"
step "done: $prefix"
echo "$prefix"
