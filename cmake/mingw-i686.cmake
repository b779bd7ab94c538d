# The 32-bit Windows build: the product.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VINTREL_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
