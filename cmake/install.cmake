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
