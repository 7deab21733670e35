# The Debian package, made by `cpack -G DEB` in a build folder (scripts/package). It holds exactly
# what `cmake --install` installs, so a new program is packed by its install(TARGETS ...) line
# alone, and dpkg-shlibdeps reads the Qt, codec and other libraries every packed program is
# linked with off the programs themselves.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fill in pre-printed paper forms with a printer")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora fills in pre-printed paper forms with a printer. Scan or open a
picture of a paper form, tell the program how large the sheet is, place named
text fields on the picture, type records of values into a grid, and print the
values exactly inside the fields onto the real sheet, with or without the
picture underneath. Forms are kept in .frm files; records can be exported to
and imported from CSV files. The package includes the manual and a sample form.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The icon theme owns the folders the icons go to and the cache its trigger builds, so removing
# the package leaves nothing there.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "hicolor-icon-theme")
# Qt finds the Wayland platform plugin, the file manager the form type and the menu the entry
# only with these; the help button opens the manual through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, shared-mime-info, desktop-file-utils, xdg-utils")

include(CPack)
