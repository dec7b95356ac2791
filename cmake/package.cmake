# The Debian package: `cpack -G DEB` in the build folder (or scripts/package.sh) makes
# rinova_VERSION_ARCH.deb from the install rules. dpkg-shlibdeps adds the libraries the two
# programs link; the list below adds what they load or use without linking: the faces the
# cards are drawn with and their fallbacks, Qt's Japanese texts, and the CUPS tools.
set(CPACK_PACKAGE_NAME rinova)
set(CPACK_PACKAGE_VENDOR "Rinova")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "print recipient addresses on Japanese postcards in vertical writing")
# Debian wants the long description in lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Rinova prints recipient addresses on Japanese postcards (100 x 148 mm) in\n"
    "vertical writing. It imports a Shift-JIS comma-separated address file into a\n"
    "grid, previews the card of the current row and prints one card per page.\n"
    "rinova-cli draws the same cards as PNG or PDF and prints them without a\n"
    "display.")
set(CPACK_PACKAGE_CONTACT "Rinova maintainers <rinova@example.invalid>")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(rinova_runtime_packages
    # Qt's Japanese dialog and button texts
    qt6-translations-l10n
    # the five vertical faces' substitutes, the window font and the fallback for rare characters
    fonts-aoyagi-kouzan-t fonts-ipaexfont-mincho fonts-ipafont-mincho fonts-ipaexfont-gothic
    fonts-ipafont-gothic fonts-kouzan-mouhitsu fonts-rocknroll fonts-noto-cjk
    # printing: Qt's print support loads libcups at run time; lp and lpstat for the queues
    libcups2 cups-client)
list(JOIN rinova_runtime_packages ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# The postal-code data the check before printing asks; without it the rest is checked.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, skkdic-extra")
include(CPack)
