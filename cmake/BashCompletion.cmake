# Writes the bash completion of vorlant-cli from the program's own --help, so that every option
# in the parser's table is offered without a second list to keep up to date.
#   cmake -DCLI=<vorlant-cli> -DTEMPLATE=<.in file> -DOUTPUT=<file> -P BashCompletion.cmake
#
# An option line of --help is "  -x, --apply   help..." or "      --add ИМЯ   help...": two
# blanks, an optional short name, the long name, and a value name one blank after it ("[ПАПКА]"
# when the value may be left out). The help text is at least two blanks away.
cmake_minimum_required(VERSION 3.25)
foreach(var CLI TEMPLATE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "BashCompletion.cmake needs -D${var}=...")
  endif()
endforeach()

# The program's own language, whatever the builder's locale; no leak report at the exit of a
# sanitizer build.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=LANGUAGE --unset=LC_MESSAGES --unset=LANG
          LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen ${CLI} --help
  OUTPUT_VARIABLE help
  RESULT_VARIABLE status
  ENCODING UTF8)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} --help failed (${status})")
endif()

string(REGEX MATCHALL "\n  (-[A-Za-z0-9], |    )--[a-z0-9][a-z0-9-]*( [^ \n]+)?" rows "\n${help}")
set(options)
set(values)
foreach(row IN LISTS rows)
  string(REGEX MATCH "^\n  (-([A-Za-z0-9]), |    )(--[a-z0-9][a-z0-9-]*)( ([^ \n]+))?$" _ "${row}")
  set(short "${CMAKE_MATCH_2}")
  set(long "${CMAKE_MATCH_3}")
  set(value "${CMAKE_MATCH_5}")
  set(names ${long})
  if(short)
    list(PREPEND names -${short})
  endif()
  list(APPEND options ${names})
  if(value)
    if(value MATCHES "ПАПК|FOLDER|DIR")
      set(kind folder)
    elseif(value MATCHES "ФАЙЛ|FILE")
      set(kind file)
    else()
      set(kind text)
    endif()
    if(value MATCHES "^\\[.*\\]$")
      string(APPEND kind "?")
    endif()
    foreach(name IN LISTS names)
      list(APPEND values "[${name}]='${kind}'")
    endforeach()
  endif()
endforeach()

list(LENGTH options count)
if(count EQUAL 0 OR NOT "--help" IN_LIST options)
  message(FATAL_ERROR "No options found in the --help of ${CLI}:\n${help}")
endif()
list(REMOVE_DUPLICATES options)
list(JOIN options " " OPTIONS)
list(JOIN values " " VALUES)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
