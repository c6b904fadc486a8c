# Third-party libraries, all from Debian: header-only ones from -dev packages, compiled ones
# (for the Windows build) from Debian source packages, built by tools/bootstrap.sh into a
# cache outside the checkout whose locations it writes to deps.cmake.

set(OSTREL_DEPS "$ENV{OSTREL_DEPS}" CACHE PATH "Dependency cache made by tools/bootstrap.sh")
if(NOT OSTREL_DEPS)
  if(DEFINED ENV{XDG_CACHE_HOME})
    set(OSTREL_DEPS "$ENV{XDG_CACHE_HOME}/ostrel-deps")
  else()
    set(OSTREL_DEPS "$ENV{HOME}/.cache/ostrel-deps")
  endif()
endif()

# spdlog and fmt are used header-only in both builds (Debian's spdlog selects external fmt).
add_library(ostrel_headers INTERFACE)
add_library(ostrel::headers ALIAS ostrel_headers)
target_compile_definitions(ostrel_headers INTERFACE FMT_HEADER_ONLY SPDLOG_FMT_EXTERNAL)

# Ogg Vorbis decoding (libvorbisfile on libvorbis and libogg) as ostrel::vorbisfile.
add_library(ostrel_vorbisfile INTERFACE)
add_library(ostrel::vorbisfile ALIAS ostrel_vorbisfile)

if(NOT WIN32)
  find_package(GTest REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(vorbisfile REQUIRED IMPORTED_TARGET vorbisfile)
  target_link_libraries(ostrel_vorbisfile INTERFACE PkgConfig::vorbisfile)
  return()
endif()

if(NOT EXISTS "${OSTREL_DEPS}/deps.cmake")
  message(FATAL_ERROR "No dependency cache in ${OSTREL_DEPS}: run tools/bootstrap.sh first")
endif()
include("${OSTREL_DEPS}/deps.cmake")

# Only the Debian header folders we use, never all of /usr/include.
target_include_directories(ostrel_headers SYSTEM INTERFACE "${OSTREL_DEBIAN_INCLUDE}")

if(NOT EXISTS "${OSTREL_DEPS}/ogg-vorbis.cmake")
  message(FATAL_ERROR "No libogg and libvorbis in ${OSTREL_DEPS}: run tools/bootstrap.sh")
endif()
include("${OSTREL_DEPS}/ogg-vorbis.cmake")
target_include_directories(ostrel_vorbisfile SYSTEM INTERFACE
  "${OSTREL_VORBIS_PREFIX}/include" "${OSTREL_OGG_PREFIX}/include")
target_link_libraries(ostrel_vorbisfile INTERFACE "${OSTREL_VORBIS_PREFIX}/lib/libvorbisfile.a"
  "${OSTREL_VORBIS_PREFIX}/lib/libvorbis.a" "${OSTREL_OGG_PREFIX}/lib/libogg.a")

find_package(assimp 5.2 CONFIG REQUIRED PATHS "${OSTREL_ASSIMP_PREFIX}"
             NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
target_link_directories(assimp::assimp INTERFACE "${OSTREL_MINIZIP_PREFIX}/lib")

add_library(imgui STATIC IMPORTED)
set_target_properties(imgui PROPERTIES
  IMPORTED_LOCATION "${OSTREL_IMGUI_PREFIX}/lib/libimgui.a"
  INTERFACE_INCLUDE_DIRECTORIES "${OSTREL_IMGUI_PREFIX}/include/imgui"
  INTERFACE_LINK_LIBRARIES "d3dcompiler;dwmapi;imm32")

find_package(GTest REQUIRED CONFIG PATHS "${OSTREL_GOOGLETEST_PREFIX}"
             NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

# What the program links on Windows besides the core.
add_library(ostrel_windows INTERFACE)
add_library(ostrel::windows ALIAS ostrel_windows)
target_link_libraries(ostrel_windows INTERFACE
  assimp::assimp imgui d3d11 dxgi d3dcompiler dxguid uuid winmm ole32 user32 gdi32)
