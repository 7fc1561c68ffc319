#!/bin/sh
# Builds what the Windows programs link in and ship, from Debian's own source
# packages: libxml2 and the date library's time-zone part, static, with the
# mingw-w64 toolchain; and stages the IANA time-zone database (the text files
# of the tzdata source) with CLDR's mapping of Windows zone names to it.
#
#   windows_dependencies.sh DEST TOOLCHAIN_FILE
#
# Everything goes under DEST: the sources in DEST/src, the libraries in
# DEST/prefix, the database in DEST/tzdata, the libraries' licences in
# DEST/licenses. Nothing but Debian's archive is reached, through an apt
# configuration of DEST's own; the system's sources stay as they are. A second
# run finds DEST/done of this recipe and does nothing.
set -eu

dest=$1
toolchain=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
# Raised whenever what is built here changes, so that older builds are redone.
recipe=2
[ "$(cat "$dest/done" 2>/dev/null)" = "$recipe" ] && exit 0
echo "Building libxml2 and the date library from Debian's source packages into $dest" \
  "(once; a minute or several, as the mirror and the machine allow)"
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)

# The Debian archive this machine installs from, and its release.
. /etc/os-release
codename=${VERSION_CODENAME:?no VERSION_CODENAME in /etc/os-release}
archive=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
  awk -v c="$codename" '/^URIs:/ { uri = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == c) { print uri; exit } }')
if [ -z "$archive" ]; then
  archive=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk -v c="$codename" '$1 == "deb" { for (i = 3; i <= NF; i++) if ($i == c) { print $(i - 1); exit } }')
fi
[ -n "$archive" ] || { echo "no Debian archive for $codename in /etc/apt" >&2; exit 1; }

apt="$dest/apt"
mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources"
cat >"$apt/sources/debian.sources" <<EOF
Types: deb deb-src
URIs: $archive
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
set -- -q -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" \
  -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/sources" \
  -o APT::Sandbox::User=root
apt-get "$@" update
mkdir -p "$dest/downloads"
(cd "$dest/downloads" &&
  apt-get "$@" source --download-only libxml2 howardhinnant-date tzdata &&
  apt-get "$@" download unicode-cldr-core)

# Unpacked with Debian's patches applied.
rm -rf "$dest/src"
mkdir -p "$dest/src"
for package in libxml2 howardhinnant-date tzdata; do
  dpkg-source --no-check -x "$dest/downloads/${package}_"*.dsc "$dest/src/$package" >/dev/null
done

# A zone line the text reader cannot parse makes it print that zone to
# standard error before it throws, and printing a zone reads the database
# being read: the program waits for itself for ever (a cut or damaged tzdata
# file). Without the print, the exception reaches the program.
sed -i -e '/std::cerr << \*this << .\\n.;/d' "$dest/src/howardhinnant-date/src/tz.cpp"
[ "$(grep -c 'std::cerr << \*this' "$dest/src/howardhinnant-date/src/tz.cpp")" = 0 ] ||
  { echo "the date library's zone print is no longer where it was" >&2; exit 1; }

build() {  # source folder, then its CMake options
  source=$1
  shift
  cmake -S "$dest/src/$source" -B "$dest/build/$source" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_PREFIX="$dest/prefix" "$@" >"$dest/build-$source.log" 2>&1 &&
    cmake --build "$dest/build/$source" --target install >>"$dest/build-$source.log" 2>&1 ||
    { tail -n 30 "$dest/build-$source.log" >&2; exit 1; }
}
# No iconv on Windows: the programs register Windows' own converters.
build libxml2 -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF \
  -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF \
  -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_ICU=OFF
# The database is read from a folder the program names, never downloaded.
build howardhinnant-date -DBUILD_TZ_LIB=ON -DMANUAL_TZ_DB=ON

# The database's text files; the reader takes every comment line it does not
# know for a rule, so they go.
rm -rf "$dest/tzdata"
mkdir -p "$dest/tzdata"
for file in africa antarctica asia australasia backward etcetera europe northamerica \
  southamerica leapseconds; do
  sed -e '/^[[:space:]]*#/d' "$dest/src/tzdata/$file" >"$dest/tzdata/$file"
done
cp "$dest/src/tzdata/version" "$dest/tzdata/version"
dpkg-deb --fsys-tarfile "$dest/downloads"/unicode-cldr-core_*.deb |
  tar -x -O --wildcards '*/windowsZones.xml' >"$dest/tzdata/windowsZones.xml"
[ -s "$dest/tzdata/windowsZones.xml" ] || { echo "no windowsZones.xml in unicode-cldr-core" >&2; exit 1; }

# What the zip must carry along with programs that contain these libraries.
mkdir -p "$dest/licenses"
cp "$dest/src/libxml2/Copyright" "$dest/licenses/libxml2.txt"
cp "$dest/src/howardhinnant-date/LICENSE.txt" "$dest/licenses/date.txt"
cp "$dest/src/tzdata/LICENSE" "$dest/licenses/tzdata.txt"
dpkg-deb --fsys-tarfile "$dest/downloads"/unicode-cldr-core_*.deb |
  tar -x -O --wildcards '*/doc/unicode-cldr-core/copyright' >"$dest/licenses/unicode-cldr.txt"
echo "$recipe" >"$dest/done"
