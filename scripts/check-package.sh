#!/usr/bin/env bash
# Builds the Debian package, installs it, validates what it installs, runs the installed programs against
# the sample data and removes the package again. Part of CI; needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
scripts/install-packages.sh lintian desktop-file-utils appstream
scripts/package.sh install
package=$(ls -t build-package/specialty-parts_*.deb | head -n 1)
app=org.specialtyparts.SpecialtyParts
data=/tolvane/quintar
placed_sample=no
cleanup() {
    dpkg -r specialty-parts >/dev/null 2>&1 || true
    if [ "$placed_sample" = yes ]; then rm -rf /tolvane; fi
}
trap cleanup EXIT

echo "Validating the installed files"
desktop-file-validate "/usr/share/applications/$app.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$app.metainfo.xml"
test -s /usr/share/icons/hicolor/scalable/apps/specialty-parts.svg
man -l /usr/share/man/man1/specialty-catalogue.1.gz >/dev/null
man -l /usr/share/man/man1/specialty-parts.1.gz >/dev/null

echo "lintian"
lintian --fail-on error "$package"

echo "Running the installed programs"
specialty-catalogue --version
specialty-parts --version
if [ ! -e "$data" ]; then
    mkdir -p "$(dirname "$data")"
    cp -r "$repo/sample/tolvane/quintar" "$data"
    placed_sample=yes
fi
specialty-catalogue check
specialty-catalogue find --make Brisko --model Meridian --submodel "Estate 4WD" --years 2003 2003 | head -n 1
# The viewer in demo mode offscreen: still showing its window after five seconds is a pass.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 specialty-parts DEMO || status=$?
if [ "$status" -ne 124 ]; then
    echo "the installed viewer ended by itself (status $status)" >&2
    exit 1
fi
echo "The package installs, validates and runs: $package"
