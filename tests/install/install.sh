#!/usr/bin/env bash
# The installation and the Debian package: `cmake --install` into a scratch prefix, `cpack -G
# DEB`, the package unpacked with dpkg -x, and the unpacked program run from its own place.
# Needs no display. BUILD_DIR is the build tree.
set -euo pipefail
: "${BUILD_DIR:?}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The installed tree, with the data where the program looks for it.
cmake --install "$BUILD_DIR" --prefix "$scratch/prefix" >/dev/null
for f in bin/tolvik share/tolvik/apData/tolvik.htm share/tolvik/apData/Stamp.bmp \
         share/tolvik/UserData.ini share/applications/tolvik.desktop \
         share/icons/hicolor/scalable/apps/tolvik.svg; do
    [ -e "$scratch/prefix/$f" ] || fail "cmake --install left out $f"
done

# The package, unpacked as dpkg would install it.
(cd "$scratch" && cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" >cpack.log 2>&1) ||
    { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$scratch"/tolvik_*.deb) || fail "no package made"
[ "$(dpkg-deb -f "$deb" Package)" = tolvik ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Maintainer)" = "Tolvik developers" ] || fail "maintainer"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libxcb1 libimagequant0 libgif7 libopenjp2-7 libpng16-16 libdeflate0 \
           qt6-qpa-plugins; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
root="$scratch/root"
dpkg -x "$deb" "$root"
[ -x "$root/usr/bin/tolvik" ] || fail "no usr/bin/tolvik"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/tolvik.svg" ] || fail "no icon"
desktop-file-validate --no-hints "$root/usr/share/applications/tolvik.desktop" ||
    fail "desktop entry"

# The unpacked program, with no display, from its installed path.
unset DISPLAY WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$scratch/config"
version=$("$root/usr/bin/tolvik" --version)
[[ "$version" == "tolvik "* ]] || fail "--version said: $version"
"$root/usr/bin/tolvik" --help | grep -q -- "--autostart" || fail "--help lacks --autostart"
entry="$XDG_CONFIG_HOME/autostart/tolvik.desktop"
"$root/usr/bin/tolvik" --autostart on >/dev/null
[ -f "$entry" ] || fail "--autostart on wrote no $entry"
grep -qx "Exec=$root/usr/bin/tolvik" "$entry" || fail "autostart runs another program"
desktop-file-validate --no-hints "$entry" || fail "autostart entry"
"$root/usr/bin/tolvik" --autostart off >/dev/null
[ ! -e "$entry" ] || fail "--autostart off left $entry"
# Without XDG_CONFIG_HOME the entry goes to ~/.config.
unset XDG_CONFIG_HOME
HOME="$scratch/home" "$root/usr/bin/tolvik" --autostart on >/dev/null
[ -f "$scratch/home/.config/autostart/tolvik.desktop" ] || fail "no ~/.config fallback"
echo "install: ok"
