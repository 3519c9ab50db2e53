# `make package`: a Debian package of the installed files (cmake/install.cmake)
# built by CPack. Its run-time dependencies are found by dpkg-shlibdeps from
# the libraries the binary links, so they follow the distribution it is built on.
set(QUIRE_PACKAGE_MAINTAINER "The Quire developers <quire@quire.github.io>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quire)
set(CPACK_PACKAGE_VENDOR "The Quire developers")
set(CPACK_PACKAGE_CONTACT ${QUIRE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skillbook for the skills and rules of AI coding tools")
# Debian shows the long description as it stands: lines of at most 80 columns.
set(CPACK_PACKAGE_DESCRIPTION [[
The AI coding tools on a computer (Claude Code, Cursor, Windsurf, Codex,
Copilot, Aider, Amp and others) each keep skills and rules as markdown files
in folders of their own. Quire gathers them in one window, keeps them in a
local store, and lets you browse, search, read, edit, create and organise
them. The quire command reads the same store from scripts.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUIRE_BUILD_NUMBER})
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUIRE_WEBSITE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Every Debian package carries its copyright and a changelog under
# /usr/share/doc. The changelog names the version being packaged; its date is
# the build's, or SOURCE_DATE_EPOCH's for a reproducible one.
set(QUIRE_PACKAGE_VERSION ${PROJECT_VERSION}-${QUIRE_BUILD_NUMBER})
string(TIMESTAMP QUIRE_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in
    ${PROJECT_BINARY_DIR}/changelog.Debian @ONLY)
set(QUIRE_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${QUIRE_CHANGELOG}
    COMMAND ${QUIRE_GZIP} -9nc ${PROJECT_BINARY_DIR}/changelog.Debian > ${QUIRE_CHANGELOG}
    DEPENDS ${PROJECT_BINARY_DIR}/changelog.Debian
    VERBATIM)
add_custom_target(quire_changelog ALL DEPENDS ${QUIRE_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright ${QUIRE_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quire)

include(CPack)
