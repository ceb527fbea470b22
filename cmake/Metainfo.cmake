# Writes the software-centre data from data/vorlant.metainfo.xml.in: the component id and, when
# the address under which docs/ is published is known, the list of screenshots.
#   cmake -DTEMPLATE=<.in file> -DOUTPUT=<file> -DAPPSTREAM_ID=<id> [-DSCREENSHOT_URL=https://...]
#         -P Metainfo.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var TEMPLATE OUTPUT APPSTREAM_ID)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "Metainfo.cmake needs -D${var}=...")
  endif()
endforeach()

# A software centre fetches screenshots by their address, and only from an https one.
set(VORLANT_SCREENSHOTS "")
if(SCREENSHOT_URL)
  if(NOT SCREENSHOT_URL MATCHES "^https://[^ \"<>&]+$")
    message(FATAL_ERROR "The screenshot address must be an https address, not \"${SCREENSHOT_URL}\"")
  endif()
  string(REGEX REPLACE "/+$" "" base "${SCREENSHOT_URL}")
  set(kind " type=\"default\"")
  string(APPEND VORLANT_SCREENSHOTS "  <screenshots>\n")
  # The pictures of docs/: file name, English caption, Russian caption.
  foreach(shot "main-window|The main window|Главное окно"
               "about-window|The About window|Окно «О программе»")
    string(REPLACE "|" ";" shot "${shot}")
    list(GET shot 0 picture)
    list(GET shot 1 caption)
    list(GET shot 2 caption_ru)
    string(APPEND VORLANT_SCREENSHOTS
           "    <screenshot${kind}>\n"
           "      <caption>${caption}</caption>\n"
           "      <caption xml:lang=\"ru\">${caption_ru}</caption>\n"
           "      <image>${base}/${picture}.png</image>\n"
           "    </screenshot>\n")
    set(kind "")
  endforeach()
  string(APPEND VORLANT_SCREENSHOTS "  </screenshots>\n")
endif()
set(VORLANT_APPSTREAM_ID ${APPSTREAM_ID})
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
