# One library per folder. A folder's headers are reachable as "<folder>/<file>.h" only
# by the targets that link its library: each library publishes an include folder of
# its own that holds nothing but a link to its source folder, so an include of a
# folder that a target does not link fails to compile.

# fudekko_add_layer(NAME FOLDER SOURCES ... [USES target ...] [PRIVATE_USES target ...])
# Defines fudekko_<NAME> with the alias fudekko::<NAME>.
function(fudekko_add_layer name)
  cmake_parse_arguments(ARG "" "FOLDER" "SOURCES;USES;PRIVATE_USES" ${ARGN})
  if(NOT ARG_FOLDER)
    set(ARG_FOLDER ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  get_filename_component(folder_name ${ARG_FOLDER} NAME)
  set(include_root ${CMAKE_BINARY_DIR}/include/${folder_name})
  if(NOT EXISTS ${include_root}/${folder_name})
    file(MAKE_DIRECTORY ${include_root})
    file(CREATE_LINK ${ARG_FOLDER} ${include_root}/${folder_name} SYMBOLIC)
  endif()

  add_library(fudekko_${name} STATIC ${ARG_SOURCES})
  add_library(fudekko::${name} ALIAS fudekko_${name})
  target_include_directories(fudekko_${name} PUBLIC ${include_root})
  target_link_libraries(fudekko_${name} PUBLIC ${ARG_USES}
                        PRIVATE ${ARG_PRIVATE_USES} fudekko::warnings)
  if(name MATCHES "(^|_)win32$")
    target_link_libraries(fudekko_${name} PUBLIC fudekko::win32_definitions)
  endif()
endfunction()
