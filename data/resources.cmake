# The program's version data and pictures, compiled into the program as byte arrays.
#
# vorlant_version (Qt Core): the version file, with the project version filled in. This is the one
# place the version number comes from: the version data, `Vorlant --version` (which reads the
# version data) and the package metadata (cmake/Install.cmake) all take PROJECT_VERSION.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/version.ini.in ${CMAKE_CURRENT_BINARY_DIR}/version.ini
               @ONLY)
set(version_embedded)
vorlant_embed(version_embedded ${CMAKE_CURRENT_BINARY_DIR}/version.ini kVersionData)
add_library(vorlant_version STATIC ${version_embedded} VersionData.cpp VersionData.h)
target_include_directories(vorlant_version PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vorlant_version PUBLIC vorlant_common Qt6::Core)

# vorlant_resources (Qt Gui): the icon "MAINICON" and the folder button's picture, drawn by
# tools/icons into data/icons.
set(picture_embedded)
vorlant_embed(picture_embedded ${CMAKE_CURRENT_SOURCE_DIR}/icons/mainicon-16.png kMainIcon16)
vorlant_embed(picture_embedded ${CMAKE_CURRENT_SOURCE_DIR}/icons/mainicon-32.png kMainIcon32)
vorlant_embed(picture_embedded ${CMAKE_CURRENT_SOURCE_DIR}/icons/folder-open.png kFolderOpen)
vorlant_embed(picture_embedded ${CMAKE_CURRENT_SOURCE_DIR}/icons/folder-open-disabled.png
              kFolderOpenDisabled)
add_library(vorlant_resources STATIC ${picture_embedded} Pictures.cpp Pictures.h)
target_include_directories(vorlant_resources PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vorlant_resources PUBLIC vorlant_common vorlant_version Qt6::Gui)

# vorlant_translations (Qt Core): the English interface texts, compiled from the .ts source by
# lrelease at build time.
find_program(VORLANT_LRELEASE NAMES lrelease lrelease-qt6
             HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} /usr/lib/qt6/bin REQUIRED)
set(english_ts ${CMAKE_CURRENT_SOURCE_DIR}/translations/vorlant_en.ts)
set(english_qm ${CMAKE_CURRENT_BINARY_DIR}/vorlant_en.qm)
add_custom_command(OUTPUT ${english_qm}
  COMMAND ${VORLANT_LRELEASE} -silent ${english_ts} -qm ${english_qm}
  DEPENDS ${english_ts}
  COMMENT "Compiling the English texts"
  VERBATIM)
set(translation_embedded)
vorlant_embed(translation_embedded ${english_qm} kEnglishMessages)
add_library(vorlant_translations STATIC ${translation_embedded} Translations.cpp Translations.h)
target_include_directories(vorlant_translations PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(vorlant_translations PUBLIC vorlant_common Qt6::Core)
