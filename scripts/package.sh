#!/usr/bin/env bash
# Builds the Debian package specialty-parts_<version>_<arch>.deb in build-package/ (as root on Debian 12;
# installs what is missing). The drive root is that of a default build, "/": the package reads its data
# from /tolvane/quintar/. With "install" it installs the package as well, with what it depends on.
#   scripts/package.sh            build the package
#   scripts/package.sh install    build and install it
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh $(cat scripts/build-packages.txt) dpkg-dev file
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSPECIALTY_BUILD_BENCHMARKS=OFF \
    -DSPECIALTY_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-package --parallel "$(nproc)"
(cd build-package && cpack -G DEB >/dev/null)
package=$(ls -t build-package/specialty-parts_*.deb | head -n 1)
echo "Package: $package"
if [ "${1:-}" = install ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -qq "./$package" >/dev/null
    echo "Installed: $(dpkg-query -W -f='${Package} ${Version}' specialty-parts)"
fi
