# The executable carries its data as numbered blobs (type, number), linked in
# with .incbin so nothing is read from the source tree at run time.
set(VERNALIA_RESOURCES
  "MEDIADATA 239 ${CMAKE_SOURCE_DIR}/content/Defaults.txt"
  "MEDIADATA 229 ${CMAKE_SOURCE_DIR}/content/UiStrings.txt"
)

set(asm ${CMAKE_BINARY_DIR}/generated/Resources.S)
set(table ${CMAKE_BINARY_DIR}/generated/ResourceTable.cpp)
set(asm_text ".section .rodata\n")
set(table_text "#include \"platform/Resources.h\"\n\nextern \"C\" {\n")
set(entries "")
set(deps "")
set(index 0)
foreach(entry IN LISTS VERNALIA_RESOURCES)
  separate_arguments(parts UNIX_COMMAND "${entry}")
  list(GET parts 0 type)
  list(GET parts 1 number)
  list(GET parts 2 path)
  list(APPEND deps ${path})
  string(APPEND asm_text ".balign 16\n.global vres_${index}_begin\nvres_${index}_begin:\n.incbin \"${path}\"\n.global vres_${index}_end\nvres_${index}_end:\n.byte 0\n")
  string(APPEND table_text "extern const unsigned char vres_${index}_begin[];\nextern const unsigned char vres_${index}_end[];\n")
  string(APPEND entries "  {\"${type}\", ${number}, vres_${index}_begin, vres_${index}_end},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND asm_text ".section .note.GNU-stack,\"\",@progbits\n")
string(APPEND table_text "}\n\nnamespace platform {\nconst ResourceEntry kResourceTable[] = {\n${entries}};\nconst unsigned kResourceCount = ${index};\n}\n")
file(GENERATE OUTPUT ${asm} CONTENT "${asm_text}")
file(GENERATE OUTPUT ${table} CONTENT "${table_text}")

add_library(vresources STATIC ${asm} ${table})
target_include_directories(vresources PRIVATE ${CMAKE_SOURCE_DIR})
# .incbin is invisible to the dependency scanner.
set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS "${deps}")
