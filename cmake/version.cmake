# The release's version, kept in the file VERSION at the root and nowhere
# else: the programs read it from the generated header zk_version.h, the
# packages from the same file.
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION ZK_VERSION LIMIT_COUNT 1 REGEX "^[0-9]+\\.[0-9]+\\.[0-9]+$")
if(NOT ZK_VERSION)
  message(FATAL_ERROR "VERSION holds no version of the form MAJOR.MINOR.PATCH")
endif()
string(REPLACE "." ";" zk_version_parts ${ZK_VERSION})
list(GET zk_version_parts 0 ZK_VERSION_MAJOR)
list(GET zk_version_parts 1 ZK_VERSION_MINOR)
list(GET zk_version_parts 2 ZK_VERSION_PATCH)
# A new version reconfigures the tree.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)
configure_file(${CMAKE_SOURCE_DIR}/packaging/zk_version.h.in ${CMAKE_BINARY_DIR}/version/zk_version.h @ONLY)
# The C++ code and the resource scripts alike.
include_directories(${CMAKE_BINARY_DIR}/version)
