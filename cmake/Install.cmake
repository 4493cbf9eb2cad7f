# `cmake --install` and `cpack -G DEB`. The program finds its data as ../share/tolvik/ from
# its own folder (installedFile in src/settings/UserData.cpp), so bin/ and share/ are fixed
# here rather than taken from GNUInstallDirs.
install(TARGETS tolvik RUNTIME DESTINATION bin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/apData/ DESTINATION share/tolvik/apData)
# The per-user data folder by default; a user's own UserData.ini beside the program wins.
file(WRITE ${CMAKE_BINARY_DIR}/install/UserData.ini "%usr%")
install(FILES ${CMAKE_BINARY_DIR}/install/UserData.ini DESTINATION share/tolvik)
install(FILES ${CMAKE_SOURCE_DIR}/data/tolvik.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/tolvik.svg
        DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME tolvik)
set(CPACK_PACKAGE_VENDOR "Tolvik developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Screen capture collector")
set(CPACK_PACKAGE_DESCRIPTION
    "Tolvik watches the clipboard and stores every screen capture as the next numbered
picture of its work folder, and lists, shows and edits them. Its interface is Japanese.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tolvik developers")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The debugging information stays in the build tree: it would triple the package.
set(CPACK_STRIP_FILES ON)
# The libraries linked (Qt 6, xcb, libimagequant, giflib, openjpeg, libpng, libdeflate) come
# from dpkg-shlibdeps; what Qt loads at run time (the xcb platform plugin and the cursor
# library it needs, the TIFF reader) is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libxcb-cursor0, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-ipafont-gothic")
include(CPack)
