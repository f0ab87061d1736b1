# Natively, Debian's packaged GoogleTest; cross-compiled, the same sources
# built with the MinGW compilers.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(ZK_GTEST_LIBS gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(ZK_GTEST_LIBS GTest::gtest GTest::gtest_main)
endif()
