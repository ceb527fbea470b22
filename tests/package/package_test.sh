#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it as a user would get it: its file
# list, its dependencies, lintian, the software-centre data; then installs it with apt-get, runs
# both programs from /usr/bin, checks the installed desktop entry, manual pages and completion,
# and purges it again.
#   package_test.sh SOURCE_ROOT BUILD_DIR
# Exit 77 (skipped) when it may not install: no root and no password-less sudo, or a Vorlant
# already on the machine that the install would replace.
set -euo pipefail
root=$1
build=$2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
work=$(mktemp -d)
chmod 755 "$work" # apt reads the package as its own unprivileged user
installed_by_us=
sudo=()
cleanup() {
  if [ -n "$installed_by_us" ]; then
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 purge -y -qq vorlant >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "package test: $*" >&2
  exit 1
}

deb=$("$root/scripts/package" --build "$build" --output "$work" | tail -n 1)
[ "$(basename "$deb")" = "vorlant_${version}_${arch}.deb" ] || fail "unexpected package name $deb"

# The control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vorlant ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), the project is $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is $(field Architecture)"

# Exactly these files, owned by root, programs executable and everything else not.
expected=$(sort <<LIST
./usr/bin/Vorlant 755
./usr/bin/vorlant-cli 755
./usr/share/applications/vorlant.desktop 644
./usr/share/bash-completion/completions/vorlant-cli 644
./usr/share/doc/vorlant/changelog.gz 644
./usr/share/doc/vorlant/copyright 644
./usr/share/icons/hicolor/128x128/apps/vorlant.png 644
./usr/share/icons/hicolor/16x16/apps/vorlant.png 644
./usr/share/icons/hicolor/256x256/apps/vorlant.png 644
./usr/share/icons/hicolor/32x32/apps/vorlant.png 644
./usr/share/icons/hicolor/48x48/apps/vorlant.png 644
./usr/share/icons/hicolor/64x64/apps/vorlant.png 644
./usr/share/man/man1/Vorlant.1.gz 644
./usr/share/man/man1/vorlant-cli.1.gz 644
./usr/share/metainfo/org.vorlant.vorlant.metainfo.xml 644
LIST
)
# dpkg-deb -c: "-rwxr-xr-x root/root 1234 2026-12-09 04:30 ./usr/bin/Vorlant"
listing=$(dpkg-deb -c "$deb")
actual=$(awk '$1 !~ /^d/ { print $6, $1 }' <<<"$listing" \
  | sed -e 's/ -rwxr-xr-x$/ 755/' -e 's/ -rw-r--r--$/ 644/' | sort)
[ "$actual" = "$expected" ] || fail "file list differs:
$(diff <(echo "$expected") <(echo "$actual") || true)"
owners=$(awk '{ print $2 }' <<<"$listing" | sort -u)
[ "$owners" = root/root ] || fail "files not owned by root: $owners"
bad_dirs=$(awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print $6, $1 }' <<<"$listing")
[ -z "$bad_dirs" ] || fail "folders with odd permissions: $bad_dirs"

# Depends comes from the binaries: every package that holds a library they load is in it.
dpkg-deb -x "$deb" "$work/tree"
depends=$(field Depends)
[ -n "$depends" ] || fail "no Depends"
# The package that holds a library: dpkg knows some under /lib and others under /usr/lib.
owner_of() {
  local path candidate
  path=$(realpath "$1")
  for candidate in "$1" "$path" "${path#/usr}" "/usr${1#/usr}"; do
    if dpkg -S "$candidate" >/dev/null 2>&1; then
      dpkg -S "$candidate" | head -n 1 | cut -d: -f1
      return
    fi
  done
  return 1
}
for program in Vorlant vorlant-cli; do
  binary=$work/tree/usr/bin/$program
  libraries=$(ldd "$binary")
  for needed in $(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'); do
    # "libQt6Core.so.6 => /lib/.../libQt6Core.so.6 (0x...)", or for the loader its path alone
    library=$(awk -v name="$needed" '$1 == name && $2 == "=>" { print $3 }
      substr($1, length($1) - length(name)) == "/" name { print $1 }' <<<"$libraries")
    [ -n "$library" ] || fail "$program needs $needed, which is not on this machine"
    owner=$(owner_of "$library") || fail "no package holds $library"
    [[ ", $depends," == *", $owner "* || ", $depends," == *", $owner,"* ]] \
      || fail "$program needs $needed of $owner, which Depends lacks: $depends"
  done
done
[[ $depends == *libqt6widgets6* && $depends == *libicu* ]] || fail "Depends misses Qt or ICU: $depends"

# The software-centre data validates and names this release; the changelog agrees with the
# control fields.
metainfo=$work/tree/usr/share/metainfo/org.vorlant.vorlant.metainfo.xml
appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli validate failed"
release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
[ "$release" = "$version" ] || fail "the newest release in the software-centre data is $release"
changelog=$(gzip -dc "$work/tree/usr/share/doc/vorlant/changelog.gz")
[[ $(head -n 1 <<<"$changelog") == "vorlant ($version) "* ]] \
  || fail "the changelog's newest entry is not $version"
signature=$(grep -m 1 '^ -- ' <<<"$changelog" | sed -E 's/^ -- (.*>)  .*/\1/')
[ "$signature" = "$(field Maintainer)" ] \
  || fail "the changelog is signed by $signature, the Maintainer is $(field Maintainer)"

# lintian: no error and no warning (the report lists what it says besides).
report=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
echo "$report" >&2
if grep -E '^[EW]: ' <<<"$report"; then
  fail "lintian reports errors or warnings"
fi

# Installing touches the machine: only as root (or through password-less sudo), and never over a
# Vorlant that came from elsewhere.
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    echo "package test: package checked; not installed (needs root or password-less sudo)" >&2
    exit 77
  fi
  sudo=(sudo -n)
fi
if dpkg-query -W -f='${Status}' vorlant 2>/dev/null | grep -q 'installed'; then
  echo "package test: package checked; not installed, as a vorlant package is already installed" >&2
  exit 77
fi
for file in /usr/bin/Vorlant /usr/bin/vorlant-cli; do
  if [ -e "$file" ]; then
    echo "package test: package checked; not installed, as $file is already there" >&2
    exit 77
  fi
done

installed_by_us=yes
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 install -y -qq \
  --no-install-recommends "$deb" >/dev/null || fail "apt-get install failed"

out=$(env -i PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen /usr/bin/Vorlant --version) \
  || fail "Vorlant --version failed"
[ "$out" = "Vorlant $version" ] || fail "Vorlant --version says $out"
out=$(env -i PATH=/usr/bin:/bin LC_ALL=C.UTF-8 /usr/bin/vorlant-cli --help) \
  || fail "vorlant-cli --help failed"
[[ $out == *--apply* ]] || fail "vorlant-cli --help says: $out"
desktop-file-validate /usr/share/applications/vorlant.desktop || fail "desktop-file-validate failed"
for page in Vorlant vorlant-cli; do
  [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man does not find $page"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page warns: $warnings"
done
# bash-completion loads the completion on demand from where the package put it.
loaded=$(bash -c 'source /usr/share/bash-completion/bash_completion
                  __load_completion vorlant-cli && complete -p vorlant-cli')
[ "$loaded" = "complete -F _vorlant_cli vorlant-cli" ] || fail "completion not found: $loaded"

"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 purge -y -qq vorlant >/dev/null || fail "purge failed"
installed_by_us=
for file in /usr/bin/Vorlant /usr/bin/vorlant-cli /usr/share/doc/vorlant; do
  [ ! -e "$file" ] || fail "$file is left after the purge"
done
echo "package test passed: $(basename "$deb"), Depends: $depends"
