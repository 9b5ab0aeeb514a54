#!/usr/bin/env bash
# Installs the build into temporary prefixes, as a user or a packager does with cmake --install
# (with CMAKE_INSTALL_PREFIX and DESTDIR), and checks the installed program: it answers --version
# and --help without a display, finds its help, figures, icons and templates in ../share/quorvil,
# keeps its settings in the user's configuration folder and starts offscreen. Then makes the
# Debian package and reads back its dependencies and contents.
#   InstallTest.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
root=$2
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
DESTDIR=$work/staged cmake --install "$build" --prefix /usr >/dev/null
[ -x "$work/staged/usr/bin/quorvil" ] || fail "DESTDIR is not honoured"

# The programs in bin/, everything they read in share/quorvil, the desktop entry and the icon.
expected=(bin/quorvil share/quorvil/Help.html share/quorvil/icons/quorvil.svg
          share/applications/quorvil.desktop share/icons/hicolor/scalable/apps/quorvil.svg
          share/doc/quorvil/copyright)
for file in "$root"/resources/*.*; do expected+=("share/quorvil/$(basename "$file")"); done
for file in "$root"/resources/help/*.svg; do expected+=("share/quorvil/help/$(basename "$file")"); done
for file in "$root"/resources/icons/*.svg; do expected+=("share/quorvil/icons/$(basename "$file")"); done
shopt -s nullglob
for file in "$root"/resources/templates/*.docx; do expected+=("share/quorvil/$(basename "$file")"); done
shopt -u nullglob
if [ -x "$build/bin/quorvil-cli" ]; then expected+=(bin/quorvil-cli); fi
for file in "${expected[@]}"; do
  [ -e "$prefix/$file" ] || fail "not installed: $file"
done
[ ! -e "$prefix/bin/Help.html" ] || fail "the help page belongs in share/quorvil, not in bin/"

desktop=$prefix/share/applications/quorvil.desktop
grep -q '^Name=Quorvil' "$desktop" || fail "desktop entry without Name"
grep -q '^Name\[zh_CN\]=' "$desktop" || fail "desktop entry without Name[zh_CN]"
grep -Eq '^Categories=.*(Science|Engineering)' "$desktop" || fail "desktop entry without Science/Engineering"
grep -q '^Exec=quorvil' "$desktop" || fail "desktop entry does not start quorvil"
grep -q '^MimeType=.*image/vnd.dxf' "$desktop" || fail "desktop entry does not offer quorvil for DXF drawings"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop" || fail "desktop entry invalid"; fi

# Without a display: --version and --help print and end with status 0.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/config")
version=$("${nodisplay[@]}" "$prefix/bin/quorvil" --version) || fail "--version failed"
[[ $version == "Quorvil "[0-9]* ]] || fail "--version printed: $version"
help=$("${nodisplay[@]}" "$prefix/bin/quorvil" --help) || fail "--help failed"
grep -q -- '--version' <<<"$help" || fail "--help does not list --version"
# The installed program looks for its files in the prefix and keeps its settings in the user's
# configuration folder, which asking for help does not create.
grep -qF "$prefix/share/quorvil" <<<"$help" || fail "the installed program does not find its files: $help"
grep -q "未找到" <<<"$help" && fail "the installed program misses its help page: $help"
grep -qF "$work/config/Quorvil/Quorvil.ini" <<<"$help" || fail "settings not in the configuration folder: $help"
[ ! -e "$work/config" ] || fail "--help created the configuration folder"

# The installed program starts offscreen and keeps running until it is stopped: it gets as far as
# its event loop (the main thread waits for events in poll) and is still there, however long the
# start takes on this machine.
waits_for_events() {
  local syscall= wchan=
  read -r syscall _ <"/proc/$1/syscall" 2>/dev/null || true
  wchan=$(cat "/proc/$1/wchan" 2>/dev/null) || true
  # poll and ppoll on x86-64, or the kernel's poll wait
  [[ $syscall == 7 || $syscall == 271 || $wchan == *poll* ]]
}
"${nodisplay[@]}" QT_QPA_PLATFORM=offscreen "$prefix/bin/quorvil" >"$work/run.log" 2>&1 &
pid=$!
[ -r "/proc/$pid/wchan" ] || [ -r "/proc/$pid/syscall" ] || fail "cannot see in /proc whether the program waits for events"
idle=0
while ((idle < 3)); do
  kill -0 "$pid" 2>/dev/null || { cat "$work/run.log" >&2; fail "the installed program ended during its start"; }
  if waits_for_events "$pid"; then idle=$((idle + 1)); else idle=0; fi
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null || { cat "$work/run.log" >&2; fail "the installed program did not stay up"; }
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=

# The Debian package declares its dependencies and holds the installed files.
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null; then
  (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
  deb=$(ls "$work"/deb/*.deb)
  depends=$(dpkg-deb -f "$deb" Depends)
  for package in libqt6widgets6 libqt6gui6 libqt6core6 libqt6svg6 qt6-translations-l10n; do
    grep -q "$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
  done
  # The file libraries, as soon as the program links them.
  linked=$(ldd "$build/bin/quorvil")
  for library in libzip:libzip4 libpugixml:libpugixml1v5 libdxflib:libdxflib3 libmetis:libmetis5; do
    if grep -q "${library%%:*}" <<<"$linked"; then
      grep -q "${library#*:}" <<<"$depends" || fail "the package does not depend on ${library#*:}: $depends"
    fi
  done
  [ "$(dpkg-deb -f "$deb" Package)" = quorvil ] || fail "package name"
  contents=$(dpkg-deb -c "$deb")
  for file in ./usr/bin/quorvil ./usr/share/quorvil/Help.html ./usr/share/applications/quorvil.desktop \
              ./usr/share/icons/hicolor/scalable/apps/quorvil.svg ./usr/share/doc/quorvil/copyright; do
    grep -qF " $file" <<<"$contents" || fail "not in the package: $file"
  done
fi
echo "installed program, desktop entry and package: OK"
