#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop gets: a valid desktop entry
# that opens folders, the icon, and a program that starts from there.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

entry=$prefix/share/applications/vorlant.desktop
desktop-file-validate "$entry"
grep -qx 'MimeType=inode/directory;' "$entry"
grep -qx 'Exec=Vorlant %f' "$entry"
for size in 16 32 48 64 128 256; do
  test -s "$prefix/share/icons/hicolor/${size}x${size}/apps/vorlant.png"
done

version=$("$prefix/bin/Vorlant" --version)
[[ $version == "Vorlant "[0-9]*.[0-9]*.[0-9]*.[0-9]* ]]

# The installed program starts on a folder and keeps running until it is told to end; its user
# name file goes to the configuration folder, since it cannot write beside itself once installed
# system-wide (here the prefix is writable, so it may also land beside the program).
folder=$(mktemp -d)
touch "$folder/readme.TXT"
export XDG_CONFIG_HOME=$prefix/config QT_QPA_PLATFORM=offscreen
"$prefix/bin/Vorlant" "$folder" &
pid=$!
sleep 2
kill -0 "$pid"
kill "$pid"
wait "$pid" || true
rm -rf "$folder"
echo "install test passed"
