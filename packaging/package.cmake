# The Debian package: `cpack -G DEB` in the build folder (see
# scripts/package-test.sh). It holds exactly what `cmake --install` puts under
# /usr; the dependencies come from the programs' shared libraries.
set(SAVERS_MAINTAINER "savers maintainers <maintainers@users.noreply.c-seed-db552bb5.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "savers")
set(CPACK_PACKAGE_CONTACT "${SAVERS_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two 3D screen savers, halcyon and tessera, for XScreenSaver and others")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "halcyon shows a turning, sphere-mapped world over a fogged, tiled floor\n"
       "while a tracker module plays, tessera a tumbling figure with textured\n"
       "objects flying at the viewer. Both run as XScreenSaver hacks (register\n"
       "them with savers-register-xscreensaver) and are listed by MATE's and\n"
       "Xfce's screen savers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SAVERS_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_GENERATOR DEB)
include(CPack)
