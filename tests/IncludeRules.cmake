# The layering of the tree, checked over #include lines (cmake -P):
#   - window-system, GL and other device headers only in platform/ and
#     engine/render/gl/ (OpenAL also in sound/);
#   - engine/ never includes app/ or tools/;
#   - engine/core/ includes no other engine folder;
#   - the renderer base (engine/render/, not gl/) includes nothing from platform/.
# Tests are not checked: they watch the display and the device directly.
#
#   cmake -DROOT=<tree> -P IncludeRules.cmake
# prints one line per broken rule ("file:line: rule") and fails if any.
# With -DPLANT=ON, ROOT is an empty scratch folder: the script first writes
# one file breaking each rule there, so a test can prove every rule fires.

if(NOT ROOT)
  message(FATAL_ERROR "IncludeRules: ROOT is not set")
endif()

if(PLANT)
  file(REMOVE_RECURSE ${ROOT})
  file(WRITE ${ROOT}/engine/scene/Planted.cpp "#include <GL/gl.h>\n")
  file(WRITE ${ROOT}/engine/files/Planted.h "#include \"app/Settings.h\"\n")
  file(WRITE ${ROOT}/engine/core/Planted.h "#include \"engine/scene/Node.h\"\n")
  file(WRITE ${ROOT}/engine/render/Planted.cpp "#include \"platform/Window.h\"\n")
  file(WRITE ${ROOT}/app/Planted.cpp "#  include <X11/Xlib.h>\n")
  file(WRITE ${ROOT}/sound/Planted.cpp "#include <GL/gl.h>\n#include <AL/al.h>\n")
  # Allowed: the device module, the OS layer, a sound library on OpenAL.
  file(WRITE ${ROOT}/engine/render/gl/Allowed.cpp "#include <GL/gl.h>\n#include \"platform/Window.h\"\n")
  file(WRITE ${ROOT}/platform/Allowed.cpp "#include <X11/Xlib.h>\n")
  file(WRITE ${ROOT}/engine/core/Allowed.h "#include \"engine/core/Object.h\"\n")
endif()

set(device_headers "X11/|EGL/|GL/|GLES[0-9]*/|KHR/|curl/|AL/|gtk/|gdk/|glib|gio/")

set(violations 0)
file(GLOB_RECURSE sources RELATIVE ${ROOT}
  ${ROOT}/app/*.h ${ROOT}/app/*.cpp ${ROOT}/engine/*.h ${ROOT}/engine/*.cpp
  ${ROOT}/platform/*.h ${ROOT}/platform/*.cpp ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp
  ${ROOT}/info/*.h ${ROOT}/info/*.cpp ${ROOT}/sound/*.h ${ROOT}/sound/*.cpp)

foreach(source IN LISTS sources)
  file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include")
  set(number 0)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" header "${line}")
    set(rule "")
    if(header MATCHES "^(${device_headers})")
      if(NOT source MATCHES "^(platform/|engine/render/gl/)"
         AND NOT (source MATCHES "^sound/" AND header MATCHES "^AL/"))
        set(rule "device or window-system header outside platform/ and engine/render/gl/")
      endif()
    elseif(source MATCHES "^engine/" AND header MATCHES "^(app|tools)/")
      set(rule "the engine includes the application or the tools")
    elseif(source MATCHES "^engine/core/" AND header MATCHES "^engine/" AND NOT header MATCHES "^engine/core/")
      set(rule "engine/core reaches up into another engine folder")
    elseif(source MATCHES "^engine/render/[^/]+$" AND header MATCHES "^platform/")
      set(rule "the renderer base includes the OS layer")
    endif()
    if(rule)
      message("${source}: includes ${header}: ${rule}")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()

if(violations GREATER 0)
  message(FATAL_ERROR "${violations} include(s) break the layering")
endif()
list(LENGTH sources count)
message("The layering holds over ${count} sources.")
