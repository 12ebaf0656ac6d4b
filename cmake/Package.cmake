# The Debian package of every installed program (cmake/MatrixProgram.cmake) and the desktop
# files (packaging/), built from an existing build tree:
#     cpack --config build/CPackConfig.cmake      (scripts/package-check.sh does this)
# The binaries in the package are stripped; the dependencies come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hdmi-matrix-controller)
set(CPACK_PACKAGE_VENDOR "The HDMI Matrix Controller developers")
set(CPACK_PACKAGE_CONTACT
    "HDMI Matrix Controller developers <hdmi-matrix-controller@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "controller for 4x4 HDMI video matrix switchers")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
set(CPACK_PACKAGE_DESCRIPTION "\
A desktop program to route the inputs of a 4x4 HDMI matrix switcher to
its outputs, keep eight named presets, name the ports, manage the EDID
the switcher presents to its sources, merge and upload firmware, and
find and configure the switcher's network module. It talks to the
switcher over a serial port or TCP.
.
The package also holds matrix-sim, a switcher simulator to try the
controller without hardware, and matrix-bridge, which shares the switcher
with Videohub control surfaces and with web browsers through a live
control page.")

include(CPack)
