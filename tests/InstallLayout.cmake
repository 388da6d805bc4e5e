# Installs the build into a scratch prefix and checks the layout a user and
# XScreenSaver rely on (cmake -P):
#   cmake -DBUILD=<build dir> -DPREFIX=<scratch prefix> -P InstallLayout.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "install into ${PREFIX} failed")
endif()

foreach(path bin/vernalia libexec/xscreensaver/vernalia share/xscreensaver/config/vernalia.xml
        share/applications/vernalia-settings.desktop share/applications/screensavers/vernalia.desktop)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "missing ${PREFIX}/${path}")
  endif()
endforeach()
if(NOT IS_SYMLINK ${PREFIX}/libexec/xscreensaver/vernalia)
  message(FATAL_ERROR "the hack is not a link to the program")
endif()

# Each line must appear in its file as written.
function(expect file)
  file(READ ${PREFIX}/${file} text)
  foreach(line IN LISTS ARGN)
    string(FIND "${text}" "${line}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${file} lacks \"${line}\"")
    endif()
  endforeach()
endfunction()
expect(share/xscreensaver/config/vernalia.xml "<screensaver name=\"vernalia\" _label=\"Vernalia 3D\" gl=\"yes\">"
  "<command arg=\"--root\"/>" "vernalia -c" "</screensaver>")
expect(share/applications/vernalia-settings.desktop "Exec=vernalia -c\n")
expect(share/applications/screensavers/vernalia.desktop "Exec=${PREFIX}/libexec/xscreensaver/vernalia --root\n"
  "Categories=Screensaver;\n" "OnlyShowIn=")

execute_process(COMMAND desktop-file-validate ${PREFIX}/share/applications/vernalia-settings.desktop
  ${PREFIX}/share/applications/screensavers/vernalia.desktop RESULT_VARIABLE invalid)
if(invalid)
  message(FATAL_ERROR "desktop-file-validate refuses the menu entries")
endif()
message(STATUS "install layout under ${PREFIX} is complete")
