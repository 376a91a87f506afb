# The Debian package, kervio_<version>_<arch>.deb, made by CPack from the
# install rules ("scripts/dev.sh package"). Its version is the project's; the
# libraries it needs come from dpkg-shlibdeps, what the program only starts
# or opens at run time is listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kervio)
set(CPACK_PACKAGE_VENDOR Kavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "term difference (vade farkı) of a current account")
set(CPACK_PACKAGE_DESCRIPTION
    "Kavrel Kervio computes the term difference (vade farkı) of a current account
for Turkish accountants: per entry the days, interest numbers (adat) and term
differences, for the ledger the totals, balance, average days and due dates,
and the rate that would settle the balance. Ledgers are kept in .krv files,
printed or saved as PDF, and exchanged with spreadsheet workbooks.")
set(CPACK_PACKAGE_CONTACT "Kavrel <destek@kavrel.com.tr>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.kavrel.com.tr/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Fonts the report and the windows map to, the desktop's opener and mailer
# (xdg-open, xdg-email).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, xdg-utils")
# Qt's own Turkish texts and the face the windows' Tahoma maps to; the
# Wayland platform only suggested, as it brings Qt Quick along (without it Qt
# runs through XWayland).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")

include(CPack)
