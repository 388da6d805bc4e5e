# The executable carries its data as numbered blobs (type, number), linked in
# with .incbin so nothing is read from the source tree at run time.
set(VERNALIA_RESOURCES
  "MEDIADATA 239 ${CMAKE_SOURCE_DIR}/content/Defaults.txt"
  "MEDIADATA 229 ${CMAKE_SOURCE_DIR}/content/UiStrings.txt"
)

# The three archives, packed at build time from content/<folder> by the qre
# built in this build: number, archive name, folder, qre pack options.
set(VERNALIA_ARCHIVE_DIR ${CMAKE_BINARY_DIR}/generated/archives)
set(VERNALIA_ARCHIVES
  "134|CustomData.rar2|CustomData|--level 3"
  "143|Ms.rar2|Ms|--solid --level 5"
  "227|Media.rar2|Media|--level 3"
)

# Files made by the build join an archive through a global property, one
# entry per file, from anywhere in the tree (a later add_subdirectory too):
#   set_property(GLOBAL APPEND PROPERTY VERNALIA_ARCHIVE_EXTRA_FILES
#     "<Archive.rar2>|<member path, e.g. Main.STR>|<absolute path of the file>|<target that makes it>")
# A program that runs during the build to make such a file must not carry
# the archives itself, or the build has a dependency cycle: such a program
# sets the target property VERNALIA_BUILD_TOOL to ON (qre and scenebuild do).
define_property(GLOBAL PROPERTY VERNALIA_ARCHIVE_EXTRA_FILES
  BRIEF_DOCS "Generated files packed into the embedded archives"
  FULL_DOCS "Entries ARCHIVE|MEMBER|ABSOLUTE_PATH|TARGET.")

# Writes the assembler file and the lookup table for a list of
# "TYPE NUMBER PATH" entries, as the static library name.
function(vernalia_resource_library name entries)
  set(asm ${CMAKE_BINARY_DIR}/generated/${name}.S)
  set(table ${CMAKE_BINARY_DIR}/generated/${name}Table.cpp)
  set(asm_text ".section .rodata\n")
  set(table_text "#include \"platform/Resources.h\"\n\nextern \"C\" {\n")
  set(rows "")
  set(deps "")
  set(index 0)
  foreach(entry IN LISTS entries)
    separate_arguments(parts UNIX_COMMAND "${entry}")
    list(GET parts 0 type)
    list(GET parts 1 number)
    list(GET parts 2 path)
    list(APPEND deps ${path})
    set(symbol ${name}_${index})
    string(APPEND asm_text ".balign 16\n.global ${symbol}_begin\n${symbol}_begin:\n.incbin \"${path}\"\n.global ${symbol}_end\n${symbol}_end:\n.byte 0\n")
    string(APPEND table_text "extern const unsigned char ${symbol}_begin[];\nextern const unsigned char ${symbol}_end[];\n")
    string(APPEND rows "  {\"${type}\", ${number}, ${symbol}_begin, ${symbol}_end},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND asm_text ".section .note.GNU-stack,\"\",@progbits\n")
  string(APPEND table_text "}\n\nnamespace platform {\nconst ResourceEntry kResourceTable[] = {\n${rows}};\nconst unsigned kResourceCount = ${index};\n}\n")
  file(GENERATE OUTPUT ${asm} CONTENT "${asm_text}")
  file(GENERATE OUTPUT ${table} CONTENT "${table_text}")

  add_library(${name} STATIC ${asm} ${table})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  # .incbin is invisible to the dependency scanner.
  set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS "${deps}")
endfunction()

set(full_entries ${VERNALIA_RESOURCES})
foreach(archive IN LISTS VERNALIA_ARCHIVES)
  string(REPLACE "|" ";" fields "${archive}")
  list(GET fields 0 number)
  list(GET fields 1 archive_name)
  list(APPEND full_entries "MEDIADATA ${number} ${VERNALIA_ARCHIVE_DIR}/${archive_name}")
endforeach()

# The programs that make the archives cannot carry them: they get the table
# without archives, everything else the whole table. Static libraries only
# pass the choice on to whoever links them, so they take the small one and
# add no build order on the archives.
vernalia_resource_library(vresources_base "${VERNALIA_RESOURCES}")
vernalia_resource_library(vresources_full "${full_entries}")
add_library(vresources INTERFACE)
target_link_libraries(vresources INTERFACE
  "$<IF:$<OR:$<BOOL:$<TARGET_PROPERTY:VERNALIA_BUILD_TOOL>>,$<STREQUAL:$<TARGET_PROPERTY:TYPE>,STATIC_LIBRARY>>,vresources_base,vresources_full>")

# Runs once the whole tree is read, so that every extra file is known and
# qre exists.
function(vernalia_archive_rules)
  set_property(TARGET qre PROPERTY VERNALIA_BUILD_TOOL ON)
  get_property(extras GLOBAL PROPERTY VERNALIA_ARCHIVE_EXTRA_FILES)
  file(MAKE_DIRECTORY ${VERNALIA_ARCHIVE_DIR})
  set(outputs "")
  foreach(archive IN LISTS VERNALIA_ARCHIVES)
    string(REPLACE "|" ";" fields "${archive}")
    list(GET fields 1 archive_name)
    list(GET fields 2 folder)
    list(GET fields 3 option_text)
    separate_arguments(options UNIX_COMMAND "${option_text}")
    set(base ${CMAKE_SOURCE_DIR}/content/${folder})
    set(output ${VERNALIA_ARCHIVE_DIR}/${archive_name})

    file(GLOB_RECURSE sources LIST_DIRECTORIES false CONFIGURE_DEPENDS ${base}/*)
    list(SORT sources)
    set(members "")
    foreach(source IN LISTS sources)
      file(RELATIVE_PATH member ${base} ${source})
      list(APPEND members ${member})
    endforeach()

    set(added "")
    set(depends qre ${sources})
    foreach(extra IN LISTS extras)
      string(REPLACE "|" ";" extra_fields "${extra}")
      list(LENGTH extra_fields count)
      if(NOT count EQUAL 4)
        message(FATAL_ERROR "VERNALIA_ARCHIVE_EXTRA_FILES entry \"${extra}\" is not ARCHIVE|MEMBER|PATH|TARGET")
      endif()
      list(GET extra_fields 0 extra_archive)
      if(NOT extra_archive STREQUAL archive_name)
        continue()
      endif()
      list(GET extra_fields 1 extra_member)
      list(GET extra_fields 2 extra_path)
      list(GET extra_fields 3 extra_target)
      list(APPEND added --add ${extra_member} ${extra_path})
      list(APPEND depends ${extra_path} ${extra_target})
    endforeach()

    add_custom_command(OUTPUT ${output}
      # The engine's start-up opens a sound device: the null one at build time.
      COMMAND ${CMAKE_COMMAND} -E env ALSOFT_DRIVERS=null $<TARGET_FILE:qre> pack ${options} ${added} ${output} ${base} ${members}
      DEPENDS ${depends} qre
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      COMMENT "Packing ${archive_name}"
      VERBATIM)
    list(APPEND outputs ${output})
  endforeach()
  # The archives are sources of the table that embeds them, which runs the
  # packing before the table is assembled.
  target_sources(vresources_full PRIVATE ${outputs})
  set_source_files_properties(${outputs} PROPERTIES HEADER_FILE_ONLY ON)
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vernalia_archive_rules)
