# Debian packages, one per install component (see cmake/FlitInstall.cmake):
#
#   libflitengine       the shared library (.so.0 and .so.0.1.0)
#   libflitengine-dev   headers, the .so link, the CMake package and flitengine.pc
#   flitreader          the reader and flit-timing, their manual pages, desktop entry and icons
#
# `make package` configures a Release build for /usr in build-pkg and runs CPack there. The
# dependencies on other packages come from dpkg-shlibdeps (package dpkg-dev), plus the ones
# between our own packages, which it cannot know.

set(CPACK_PACKAGE_NAME flitengine)
set(CPACK_PACKAGE_VENDOR "FlitEngine developers")
set(CPACK_PACKAGE_CONTACT "FlitEngine developers <flitengine@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Empty, so that each package's summary is the first line of its own description below.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_GENERATOR DEB)
# Installed with DESTDIR, so that the install step sees the real prefix (/usr) and writes it
# into flitengine.pc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev reader)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file for the package that holds the library, so that packages built against it
# depend on it.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# flitreader's programs need libflitengine.so.0, which is in no installed package yet: it is
# looked up in this build, and the dependency on it is stated below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(_flit_deb_version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libflitengine)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "rapid-reading engine for wxWidgets applications
FlitEngine flashes a document one word at a time in a host application's
window, holding each word for a display time and the blank after it for a
delay computed from the word and the reading speed.

This package holds the shared library.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libflitengine-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "libflitengine (= ${_flit_deb_version}), libwxgtk3.2-dev")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "rapid-reading engine for wxWidgets applications (development files)
FlitEngine flashes a document one word at a time in a host application's
window, holding each word for a display time and the blank after it for a
delay computed from the word and the reading speed.

This package holds the headers, the CMake package (find_package(FlitEngine))
and the pkg-config file (flitengine) needed to build a host.")

set(CPACK_DEBIAN_READER_PACKAGE_NAME flitreader)
set(CPACK_DEBIAN_READER_PACKAGE_SECTION text)
set(CPACK_DEBIAN_READER_PACKAGE_DEPENDS "libflitengine (= ${_flit_deb_version})")
# Fonts with the glyphs of emoji and of Chinese, Japanese and Korean, and the dictionaries that
# hyphenation at syllables reads: the reader works without them, but shows boxes or cuts words
# at a fixed length instead.
set(CPACK_DEBIAN_READER_PACKAGE_RECOMMENDS
    "fonts-noto-color-emoji, fonts-noto-cjk, hyphen-en-us")
set(CPACK_DEBIAN_READER_PACKAGE_SUGGESTS "hyphen-de, hyphen-fr, hyphen-ru")
set(CPACK_DEBIAN_READER_DESCRIPTION
    "rapid reader for plain and marked-up text
flitreader shows a text one word at a time at the speed you choose: pause to
see the sentence around the word, move by sentence or paragraph, change speed
as you read. flit-timing prints the display time and delay the timing rules
give each word of a text.")
unset(_flit_deb_version)

include(CPack)
