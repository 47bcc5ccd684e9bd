#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Tessaline
# need. Safe to run again: only packages that are missing are installed.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev libpng-dev libgif-dev libraw-dev libtiff-dev
  # the PNG row decoder: CRC-32 (libdeflate) and inflate (ISA-L)
  libdeflate-dev libisal-dev
  # HEIF/HEIC/AVIF (libheif with its libde265, dav1d and libaom plugins) and JPEG XL
  libheif-dev libjxl-dev
  # colour management and metadata
  liblcms2-dev libexiv2-dev
  # the decoding worker's system-call filter (Landlock comes with the
  # kernel headers of linux-libc-dev)
  libseccomp-dev
  # picture formats Qt reads through plugins (GIF, ICO, TIFF, WebP ...)
  qt6-image-formats-plugins
  # tests (the colour tests compare with ImageMagick and read the sRGB
  # profile of icc-profiles-free)
  libgtest-dev libgmock-dev imagemagick icc-profiles-free
  # encoders the decoder tests run to make HEIC, AVIF and JPEG XL files
  libheif-examples libavif-bin libjxl-tools
  # the sanitizer build and the fuzz targets: clang with its sanitizer and
  # libFuzzer runtimes, and llvm-symbolizer for readable reports
  clang libclang-rt-14-dev llvm-14
  # fonts for the interface, the shipped languages and stamped text: Latin,
  # Cyrillic, Greek and many more scripts in regular, bold and italic (Noto,
  # DejaVu), Chinese, Japanese and Korean in regular and bold (Noto CJK), and
  # faces metric-compatible with Arial, Times New Roman and Courier New, so
  # that those names, common in settings from elsewhere, match closely
  fonts-dejavu-core fonts-dejavu-extra fonts-noto-core fonts-noto-cjk fonts-liberation2
  # opening help and the home page
  xdg-utils
)
if [[ "${TESS_WITH_PACKAGING_TOOLS:-0}" == 1 ]]; then
  # building the Debian package and checking its files: dpkg-shlibdeps finds
  # its dependencies; the desktop entry, metadata and manual pages are checked
  packages+=(dpkg-dev desktop-file-utils appstream man-db)
fi
if [[ "${TESS_WITH_DISPLAY_TOOLS:-0}" == 1 ]]; then
  # a virtual screen, input and screenshots, for looking at the real window
  packages+=(xvfb xdotool imagemagick x11-utils)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "setup: all packages present"
  exit 0
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
