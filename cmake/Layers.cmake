# One static library per source folder, stacked in layers: a folder may include only its own
# headers and those of the folders below it. The build holds every library to that: the
# project root is on no layer's include path, and each library's users (its own sources
# among them) see its headers through a folder in the build tree that holds one link,
# named after the folder, to the folder itself. So "demo/Demo.h" included from render/
# fails to compile ("No such file or directory"): render links nothing that holds demo/.

# ostrel_add_layer(<library> <folder> [<libraries it stands on>...])
function(ostrel_add_layer library folder)
  add_library(${library} STATIC)
  ostrel_configure_target(${library})
  set(headers ${PROJECT_BINARY_DIR}/include-layers/${folder})
  file(MAKE_DIRECTORY ${headers})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${headers}/${folder} SYMBOLIC)
  target_include_directories(${library} PUBLIC ${headers})
  target_link_libraries(${library} PUBLIC ${ARGN})
endfunction()
