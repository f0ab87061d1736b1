# The folders are layers: base, document, then convert, print and dialogs,
# then shell. A layer's headers are reached as "<folder>/<file>.h" through an
# include root that holds only that folder, published with the layer's
# target: a target sees exactly the folders of the targets it links, and an
# include of any other folder fails to compile. No target has the
# repository's root on its include path.

# The include root exposing `folder` alone.
function(zk_folder_root folder out)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# A layer's library: its folder's root is published to whoever links it.
function(zk_layer_library target folder)
  add_library(${target} STATIC ${ARGN})
  zk_folder_root(${folder} root)
  target_include_directories(${target} PUBLIC ${root})
  zk_warnings(${target})
endfunction()

# A portable target: a Windows header, however reached, stops its compilation
# (cmake/no_windows stands before every other folder).
function(zk_portable target)
  target_include_directories(${target} BEFORE PRIVATE ${CMAKE_SOURCE_DIR}/cmake/no_windows)
endfunction()

# Gives a target that is no layer (a tool, a suite) its own folder's root.
function(zk_own_folder target folder)
  zk_folder_root(${folder} root)
  target_include_directories(${target} PRIVATE ${root})
endfunction()
