# libjpeg-turbo, cross-built as a static library from Debian's source package
# (scripts/bootstrap.sh unpacks it into .deps/libjpeg-turbo). Only the
# library target is built: no shared library, no TurboJPEG API, no SIMD (it
# would need nasm), no tools or tests. The headers and the archive are copied
# into one prefix that the imported target `jpeg_static` points at.
include(ExternalProject)

set(LIBJPEG_SOURCE_DIR ${CMAKE_SOURCE_DIR}/.deps/libjpeg-turbo)
if(NOT EXISTS ${LIBJPEG_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "libjpeg-turbo sources missing in ${LIBJPEG_SOURCE_DIR}; run scripts/bootstrap.sh")
endif()

set(LIBJPEG_PREFIX ${CMAKE_BINARY_DIR}/libjpeg-turbo)
set(LIBJPEG_BUILD_DIR ${LIBJPEG_PREFIX}/build)
set(LIBJPEG_INCLUDE_DIR ${LIBJPEG_PREFIX}/include)
set(LIBJPEG_LIBRARY ${LIBJPEG_PREFIX}/lib/libjpeg.a)

ExternalProject_Add(libjpeg_turbo
  SOURCE_DIR ${LIBJPEG_SOURCE_DIR}
  BINARY_DIR ${LIBJPEG_BUILD_DIR}
  PREFIX ${LIBJPEG_PREFIX}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${LIBJPEG_PREFIX}
    -DENABLE_SHARED=OFF
    -DENABLE_STATIC=ON
    -DWITH_SIMD=OFF
    -DWITH_TURBOJPEG=OFF
    -DWITH_JAVA=OFF
    -DWITH_FUZZ=OFF
    -Wno-dev
    -Wno-deprecated
  # Only the library: the default target would also build the command-line tools.
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND
    ${CMAKE_COMMAND} -E copy_if_different
      <SOURCE_DIR>/jpeglib.h <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h
      <BINARY_DIR>/jconfig.h ${LIBJPEG_INCLUDE_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
      <BINARY_DIR>/libjpeg.a ${LIBJPEG_PREFIX}/lib
  BUILD_BYPRODUCTS ${LIBJPEG_LIBRARY}
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

# INTERFACE_INCLUDE_DIRECTORIES must name an existing folder at configure time.
file(MAKE_DIRECTORY ${LIBJPEG_INCLUDE_DIR} ${LIBJPEG_PREFIX}/lib)

add_library(jpeg_static STATIC IMPORTED GLOBAL)
set_target_properties(jpeg_static PROPERTIES
  IMPORTED_LOCATION ${LIBJPEG_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${LIBJPEG_INCLUDE_DIR})
add_dependencies(jpeg_static libjpeg_turbo)
