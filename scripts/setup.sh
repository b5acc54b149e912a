#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing, benchmarking and fuzzing Jotwell need.
# Safe to run again: packages already present are left alone, and apt is only asked when
# something is missing.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  clang clang-format libclang-rt-14-dev
  # tests, benchmarks, format checks
  googletest libgtest-dev libgmock-dev libbenchmark-dev libxml2-utils libxml2-dev
  # Qt 6 widgets, printing, local sockets, QTest
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  # lupdate and lrelease: the message catalogues, extracted from the sources and compiled by the
  # build (Qt's CMake module for them, in qt6-tools-dev, would bring Designer and Help too)
  qt6-l10n-tools
  # SVG icons (tree and toolbars), drawn sharp at any scale
  qt6-svg-dev libqt6svg6
  # the PDF export's bookmarks and links
  libqpdf-dev
  # spell checking: the speller and the American English dictionary (other hunspell-* packages
  # add their languages)
  libhunspell-dev hunspell-en-us
  # independent readers of the exports in the tests: CommonMark, HTML5 and PDF
  cmark-gfm python3-html5lib qpdf
  # metric-compatible faces for "Arial" and "Courier New"
  fonts-liberation2 fontconfig
  # emoji, joined and flags, as a desktop shows them
  fonts-noto-color-emoji
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
