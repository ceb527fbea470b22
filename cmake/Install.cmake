# Desktop integration: the main icon in the hicolor theme and a desktop entry that offers the
# program for folders. The program itself is installed by app/CMakeLists.txt.
include(GNUInstallDirs)

foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/mainicon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vorlant.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/vorlant.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Package metadata; the version is the project version, like the program's version data.
set(CPACK_PACKAGE_NAME vorlant)
set(CPACK_PACKAGE_VENDOR "Vorlant developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_GENERATOR TGZ)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")
include(CPack)
