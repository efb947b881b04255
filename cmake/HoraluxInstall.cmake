# Installs Horalux like a desktop program: the binary, a menu entry, the icons in the
# hicolor theme, the default host list and the AppStream description; and packs it as a
# .deb whose post-install step grants the program its rights.
include(GNUInstallDirs)

install(TARGETS horalux RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/server.lst DESTINATION ${CMAKE_INSTALL_DATADIR}/horalux)

# The menu entry starts the program in the folder of the installed host list; that folder
# is known only when installing (a package installs elsewhere than `cmake --install`).
install(CODE "
  set(HORALUX_DATA_DIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/horalux\")
  configure_file(\"${PROJECT_SOURCE_DIR}/data/horalux.desktop.in\"
                 \"${PROJECT_BINARY_DIR}/${HORALUX_APP_ID}.desktop\" @ONLY)")
install(FILES ${PROJECT_BINARY_DIR}/${HORALUX_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${HORALUX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(size 16 32 48)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/images/clock_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME horalux.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/desktop/images/clock.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME horalux.svg)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME horalux)
set(CPACK_PACKAGE_VENDOR "Horalux developers")
set(CPACK_PACKAGE_CONTACT "Horalux developers <dev@horalux.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps this computer's clock right with RFC 868")
set(CPACK_PACKAGE_DESCRIPTION
    "Horalux asks a time host for the time with the Time Protocol of RFC 868, sets the clock\n and logs the difference, on demand, at start-up and every few minutes. It can also\n serve the protocol to other machines. It lives in the notification area.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window runs natively under Wayland: Qt's plugin for it is a package of its own.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
