# `cpack -G DEB` in the build folder: a Debian package of what
# cmake/install.cmake installs, under /usr.  Its dependencies on shared
# libraries are computed by dpkg-shlibdeps from the binaries themselves.
set(CPACK_PACKAGE_NAME xtinkerbot)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Wexlo")
set(CPACK_PACKAGE_CONTACT "Wexlo Xtinkerbot maintainers <xtinkerbot-bugs@wexlo.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulator of small autonomous vehicles among lights")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The long description; CPack puts the summary above it, indents its
# lines and marks the empty one as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"xtinkerbot animates vehicles with light sensors and two motors on an
unbounded plane in an X11 window.  Wiring expressions turn the sensor
readings into motor drives, so simple wirings give lifelike behaviour:
fleeing the light, charging at it, or lingering near it.  Pictures with
the vehicles' trails are written as Encapsulated PostScript.

xtinkerbot-batch runs the same simulation without an X server and writes
the final picture to one EPS file.")

include(CPack)
