#!/usr/bin/env bash
# Installs the Debian packages the project needs. Does nothing when every package asked for is
# already installed.
#   scripts/install-deps.sh                    build, run and test (scripts/run.sh, test.sh)
#   scripts/install-deps.sh fuzz               ... and clang with libFuzzer (scripts/fuzz.sh)
#   scripts/install-deps.sh package            ... and the Debian packaging and validation
#                                              tools (scripts/package-check.sh)
#   scripts/install-deps.sh browser            ... and the browser test's chromium, its driver
#                                              and selenium (ctest label browser)
#   scripts/install-deps.sh atspi              ... and a virtual X screen with the AT-SPI
#                                              accessibility bus (tests of what screen
#                                              readers see)
#   scripts/install-deps.sh fuzz package browser atspi
#                                              all of them, with one apt-get update (.ci/run)
set -euo pipefail

packages=(
    cmake
    ninja-build
    g++
    qt6-base-dev
    qt6-serialport-dev      # QSerialPort; Debian has no separate libqt6serialport6-dev
    qt6-websockets-dev      # matrix-bridge's control page: the state pushed over a WebSocket
    fonts-dejavu-core       # text in the offscreen widget tests and screenshots
    fonts-cantarell         # the other font of a stock Debian desktop: texts must fit in both
    iproute2                # ip netns: the broadcast discovery test's own network
    fonts-liberation        # Liberation Serif, the metric twin of the windows' Times New Roman
)
fuzz_packages=(
    clang
    libclang-rt-14-dev      # libFuzzer and the sanitizer runtimes for clang
)
atspi_packages=(
    xvfb                    # Xvfb: an X screen of a chosen size without a display
    at-spi2-core            # the accessibility bus and registry screen readers talk to
    dbus-x11                # a session bus for the X session
    python3-pyatspi         # the smoke test reads the window as Orca does
)
package_packages=(
    dpkg-dev                # dpkg-shlibdeps for CPack's dependency list
    file                    # CPack finds the executables to inspect with it
    desktop-file-utils      # desktop-file-validate
    appstream               # appstreamcli validate
    librsvg2-bin            # rsvg-convert renders the PNG icons from the SVG
)

browser_packages=(
    chromium                # the control page in a real browser, headless
    chromium-driver         # /usr/bin/chromedriver for selenium
    python3-selenium        # the browser test drives chromium with Debian's python3
)

for group in "$@"; do
    case "$group" in
        fuzz) packages+=("${fuzz_packages[@]}") ;;
        package) packages+=("${package_packages[@]}") ;;
        browser) packages+=("${browser_packages[@]}") ;;
        atspi) packages+=("${atspi_packages[@]}") ;;
        *) echo "install-deps.sh: unknown group $group (fuzz, package, browser, atspi)" >&2; exit 2 ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    if [ "$status" != "installed" ]; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends \
    "${missing[@]}"
