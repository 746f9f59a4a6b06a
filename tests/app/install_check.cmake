cmake_minimum_required(VERSION 3.22)
# cmake -DBUILD=<build folder> -DPREFIX=<empty folder to install into> -P install_check.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

set(id io.github.kinoleaf.Kinoleaf)
set(expected
    bin/kinoleaf
    share/applications/${id}.desktop
    share/icons/hicolor/scalable/apps/${id}.svg
    share/metainfo/${id}.metainfo.xml
    share/doc/kinoleaf/copyright
    share/doc/kinoleaf/changelog.Debian.gz
    share/man/man1/kinoleaf.1.gz)
# Exactly these: no tests, benchmarks or libraries.
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
set(wanted ${expected})
list(SORT wanted)
if(NOT installed STREQUAL wanted)
  message(FATAL_ERROR "installed:\n  ${installed}\nexpected:\n  ${wanted}")
endif()
if(NOT IS_DIRECTORY ${PREFIX}/bin OR NOT EXISTS ${PREFIX}/bin/kinoleaf)
  message(FATAL_ERROR "no program")
endif()

# The desktop entry starts the installed program with the folder given.
file(STRINGS ${PREFIX}/share/applications/${id}.desktop lines)
foreach(line "Exec=kinoleaf %f" "Icon=${id}")
  if(NOT line IN_LIST lines)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()

set(missing "")
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/${id}.desktop
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  # Hints (two main categories: Graphics and AudioVideo) are advice only.
  if(NOT rc EQUAL 0 OR out MATCHES "error:|warning:")
    message(FATAL_ERROR "desktop-file-validate:\n${out}")
  endif()
else()
  string(APPEND missing " desktop-file-validate (desktop-file-utils)")
endif()
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --strict ${PREFIX}/share/metainfo/${id}.metainfo.xml
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate:\n${out}")
  endif()
else()
  string(APPEND missing " appstreamcli (appstream)")
endif()
file(REMOVE_RECURSE ${PREFIX})
if(missing)
  message("SKIPPED: the files are installed, but not checked without${missing}")
endif()
