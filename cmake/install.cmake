# Installs the program with what a Linux desktop needs to list and launch it. The
# desktop file and icon take the application id as their names, so the window
# (which reports the same id) is matched to its launcher and the software centre
# entry finds both.
include(GNUInstallDirs)

set(QUIRE_APP_ID io.github.quire.Quire)

install(TARGETS quire RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/quire.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${QUIRE_APP_ID}.desktop)
install(FILES ${PROJECT_SOURCE_DIR}/resources/quire.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${QUIRE_APP_ID}.svg)
install(FILES ${PROJECT_SOURCE_DIR}/resources/${QUIRE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page is installed compressed, as man and the package tools expect;
# gzip -n keeps the build reproducible (no name or time in the header).
find_program(QUIRE_GZIP gzip REQUIRED)
set(QUIRE_MANPAGE ${PROJECT_BINARY_DIR}/quire.1.gz)
add_custom_command(OUTPUT ${QUIRE_MANPAGE}
    COMMAND ${QUIRE_GZIP} -9nc ${PROJECT_SOURCE_DIR}/resources/quire.1 > ${QUIRE_MANPAGE}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/quire.1
    VERBATIM)
add_custom_target(quire_manpage ALL DEPENDS ${QUIRE_MANPAGE})
install(FILES ${QUIRE_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/quire.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME quire)
