# What an install puts in place: the desktop integration (icons, desktop entry, software-centre
# data), both manual pages, the bash completion and, for the Debian package, its copyright file
# and changelog. The programs themselves are installed by app/ and cli/.
include(GNUInstallDirs)

# Package identity, in one place.
set(VORLANT_APPSTREAM_ID org.vorlant.vorlant)
# Also the signature of the newest entry of packaging/changelog; the package test compares them.
set(VORLANT_PACKAGE_MAINTAINER "Vorlant developers <maintainers@vorlant.org>")
# Where docs/ is published (https://...); the software-centre data lists the screenshots only
# when it is known, since a software centre can only fetch them from there.
set(VORLANT_SCREENSHOT_URL "" CACHE STRING "The https address under which docs/ is published")

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

foreach(size 16 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/mainicon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vorlant.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/vorlant.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The software-centre data.
set(metainfo ${PROJECT_BINARY_DIR}/packaging/${VORLANT_APPSTREAM_ID}.metainfo.xml)
add_custom_command(OUTPUT ${metainfo}
  COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${PROJECT_SOURCE_DIR}/data/vorlant.metainfo.xml.in
          -DOUTPUT=${metainfo} -DAPPSTREAM_ID=${VORLANT_APPSTREAM_ID}
          -DSCREENSHOT_URL=${VORLANT_SCREENSHOT_URL} -P ${PROJECT_SOURCE_DIR}/cmake/Metainfo.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/data/vorlant.metainfo.xml.in ${PROJECT_SOURCE_DIR}/cmake/Metainfo.cmake
  VERBATIM)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog, compressed as Debian ships them (gzip -9, no time stamp).
set(compressed)
function(vorlant_gzip source)
  get_filename_component(name ${source} NAME)
  set(copy ${PROJECT_BINARY_DIR}/packaging/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${source}
    VERBATIM)
  set(compressed ${compressed} ${copy}.gz PARENT_SCOPE)
endfunction()
foreach(page Vorlant vorlant-cli)
  vorlant_gzip(${PROJECT_SOURCE_DIR}/docs/${page}.1)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
vorlant_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorlant)

# The bash completion, written from vorlant-cli's --help and installed where bash-completion
# looks for it (also below a user's ~/.local/share).
set(completion ${PROJECT_BINARY_DIR}/packaging/vorlant-cli.bash-completion)
add_custom_command(OUTPUT ${completion}
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:vorlant-cli>
          -DTEMPLATE=${PROJECT_SOURCE_DIR}/data/vorlant-cli.bash-completion.in
          -DOUTPUT=${completion} -P ${PROJECT_SOURCE_DIR}/cmake/BashCompletion.cmake
  DEPENDS vorlant-cli ${PROJECT_SOURCE_DIR}/data/vorlant-cli.bash-completion.in
          ${PROJECT_SOURCE_DIR}/cmake/BashCompletion.cmake
  COMMENT "Writing the bash completion of vorlant-cli"
  VERBATIM)
add_custom_target(packaging-files ALL DEPENDS ${metainfo} ${compressed} ${completion})
install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME vorlant-cli)

# The Debian package (scripts/package): its dependencies come from the binaries' own needs.
set(CPACK_PACKAGE_NAME vorlant)
set(CPACK_PACKAGE_VENDOR "Vorlant developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "styled letter case for the file names of a folder")
set(CPACK_PACKAGE_CONTACT ${VORLANT_PACKAGE_MAINTAINER})
set(CPACK_GENERATOR TGZ)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VORLANT_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description, in lines that a package list shows whole (lintian wants at most 80).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vorlant renames the files of one folder so that their names take the letter\n"
    "case of dictionaries of canonical spellings (readme.TXT becomes ReadMe.txt)\n"
    "and lower-cases every extension. Unknown names are marked, can be fixed in\n"
    "place and added to the user's own dictionary. Only letter case ever changes,\n"
    "and no file is ever replaced by another.\n"
    "The package holds the desktop program Vorlant and the command line\n"
    "vorlant-cli.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
include(CPack)
