#!/usr/bin/env bash
# Installs the Debian packages Quorvil needs to build, run and test; skips what is present.
set -euo pipefail

packages=(
  # build; ccache keeps repeated builds (and the sanitizer build of CI) short
  g++ cmake ninja-build pkg-config ccache
  # the Debian package (cpack -G DEB finds the library dependencies with dpkg-shlibdeps)
  dpkg-dev file
  # Qt 6 Widgets and SVG icons
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  # Qt's own dialog texts in Chinese
  qt6-translations-l10n
  # reports and workbooks (zip packages of XML parts), drawings (DXF)
  libzip-dev libpugixml-dev libdxflib-dev
  # least-squares network adjustment (sparse Cholesky, dense covariance blocks; METIS ordering)
  libeigen3-dev libmetis-dev
  # Chinese glyphs in the windows and screenshots
  fonts-wqy-microhei
  # tests and benchmarks; GeographicLib and PROJ are independent references for the tests
  libgtest-dev libbenchmark-dev libgeographiclib-dev libproj-dev proj-bin locales
  # the EGM96 geoid grid (egm96_15.gtx) that the height-fitting sample was taken from
  proj-data
  # independent readers of the reports, workbooks and drawings the program writes
  python3 python3-docx python3-openpyxl python3-ezdxf
  # ezdxf's own rendering of the drawings (python3 -m ezdxf draw), to look at beside the drawing window's
  python3-matplotlib
  # the command line's test of a file split over parallel jobs
  parallel
  # fuzzing the drawing open path (scripts/fuzz-dxf.sh: libFuzzer with the sanitizers)
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null; then SUDO=sudo; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number-text tests run under a locale whose decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
