# Include roots, one per layer. Code includes headers as "layer/name.h"; each library
# exports a root that holds its own folder and nothing else, so a file sees the folders
# of what its target links and no others: an include that runs the wrong way between
# the layers fails to build instead of working by accident.

# varsik_include_root(TARGET FOLDER [PRIVATE]): TARGET's sources and its users include
# FOLDER's headers (PRIVATE: its sources alone, for programs and tests).
function(varsik_include_root target folder)
  set(root ${PROJECT_BINARY_DIR}/include-roots/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(ARGV2 STREQUAL "PRIVATE")
    target_include_directories(${target} PRIVATE ${root})
  elseif(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
