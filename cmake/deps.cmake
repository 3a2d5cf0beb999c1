# Third-party libraries, all from Debian's packages when cross-building (the Windows
# libjpeg is cross-built from Debian's source package by scripts/build); a build on
# Windows itself finds them installed (MSYS2) like a native build does.

find_package(Threads REQUIRED)
if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

if(WIN32 AND CMAKE_CROSSCOMPILING)
  # GoogleTest from the source tree of Debian's googletest package.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  add_library(wd_gtest_main INTERFACE)
  target_link_libraries(wd_gtest_main INTERFACE gtest_main gmock)
else()
  find_package(GTest REQUIRED)
  add_library(wd_gtest_main INTERFACE)
  target_link_libraries(wd_gtest_main INTERFACE GTest::gtest_main GTest::gmock)
endif()

set(WD_JPEG_ROOT "" CACHE PATH "Install prefix of a libjpeg built for the target")
if(WD_JPEG_ROOT)
  set(JPEG_INCLUDE_DIR ${WD_JPEG_ROOT}/include CACHE PATH "" FORCE)
  set(JPEG_LIBRARY ${WD_JPEG_ROOT}/lib/libjpeg.a CACHE FILEPATH "" FORCE)
endif()
find_package(JPEG REQUIRED)
