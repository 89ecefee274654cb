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

# FUDEKKO_LAYERS: the layer folders, bottom first (cmake/layers.txt); the last of them,
# FUDEKKO_COMPOSITION_ROOT, is the top one.
function(fudekko_read_layer_list)
  set(list_file ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/layers.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
  file(STRINGS ${list_file} lines REGEX "^[a-z]")
  set(layers "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^[a-z0-9_]+" folder "${line}")
    list(APPEND layers ${folder})
  endforeach()
  list(GET layers -1 root)
  set(FUDEKKO_LAYERS ${layers} PARENT_SCOPE)
  set(FUDEKKO_COMPOSITION_ROOT ${root} PARENT_SCOPE)
endfunction()
fudekko_read_layer_list()

# fudekko_add_layer_folders([IF_PRESENT] [EXCEPT folder ...])
# Adds the subfolder of the current source folder named after each layer, bottom first:
# at the top of the tree the layers themselves, in tests/ their tests. win32/ is added
# to the Windows build only; IF_PRESENT passes over a layer without such a subfolder.
function(fudekko_add_layer_folders)
  cmake_parse_arguments(ARG "IF_PRESENT" "" "EXCEPT" ${ARGN})
  foreach(folder IN LISTS FUDEKKO_LAYERS)
    if(folder IN_LIST ARG_EXCEPT OR (folder STREQUAL "win32" AND NOT WIN32))
      continue()
    endif()
    if(ARG_IF_PRESENT AND NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      continue()
    endif()
    add_subdirectory(${folder})
  endforeach()
endfunction()
