# One interface target that every project target links: language standard, warnings, strict Qt
# defines and the optional sanitizer build.
add_library(vorlant_common INTERFACE)
target_compile_features(vorlant_common INTERFACE cxx_std_20)
target_compile_definitions(vorlant_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_USE_QSTRINGBUILDER
  _GLIBCXX_ASSERTIONS)
target_compile_options(vorlant_common INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
if(VORLANT_WERROR)
  target_compile_options(vorlant_common INTERFACE -Werror)
endif()
if(VORLANT_SANITIZE)
  target_compile_options(vorlant_common INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vorlant_common INTERFACE -fsanitize=address,undefined)
endif()

# Adds a library from every .cpp and .h in one folder, linked to the given targets. A folder that
# holds no source yet gives an interface library, so that its dependents still build.
function(vorlant_folder_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  if(sources MATCHES "\\.cpp")
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC vorlant_common ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE vorlant_common ${ARGN})
  endif()
endfunction()
