# Cross-compiles the 64-bit Windows build with MinGW-w64: the same sources as
# the product, for hosts whose Wine runs 64-bit programs only.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_prefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
