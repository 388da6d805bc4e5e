# The pictures of the settings dialog, the about box and the preview, made
# by tools/pictures at build time and packed into CustomData.rar2: the logo
# is drawn, the other two are frames of the shipped scene read from the
# packed Media.rar2, so they follow the scene. Included from the top level,
# where the archive's packing rule lives.
add_executable(pictures tools/pictures/main.cpp)
target_link_libraries(pictures PRIVATE vregistration vresources)
# It runs during the build, before the archives it feeds exist.
set_target_properties(pictures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools
  VERNALIA_BUILD_TOOL ON)

set(pictures_dir ${CMAKE_BINARY_DIR}/generated/pictures)
set(pictures_names logo.bmp settings.bmp preview.bmp)
set(pictures_outputs "")
foreach(name IN LISTS pictures_names)
  list(APPEND pictures_outputs ${pictures_dir}/${name})
endforeach()
file(MAKE_DIRECTORY ${pictures_dir})
add_custom_command(OUTPUT ${pictures_outputs}
  # No display at build time; the engine's sound device is the null one.
  # The OpenGL driver keeps a few blocks to the end, which a sanitized
  # build must not take for ours (the tests run the same way).
  COMMAND ${CMAKE_COMMAND} -E env ALSOFT_DRIVERS=null DISPLAY= ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:pictures>
    ${CMAKE_BINARY_DIR}/generated/archives/Media.rar2 ${pictures_dir}
  DEPENDS pictures ${CMAKE_BINARY_DIR}/generated/archives/Media.rar2
  COMMENT "Drawing the logo and rendering the dialog's and the preview's pictures"
  VERBATIM)
add_custom_target(dialog_pictures ALL DEPENDS ${pictures_outputs})
foreach(name IN LISTS pictures_names)
  set_property(GLOBAL APPEND PROPERTY VERNALIA_ARCHIVE_EXTRA_FILES
    "CustomData.rar2|${name}|${pictures_dir}/${name}|dialog_pictures")
endforeach()
