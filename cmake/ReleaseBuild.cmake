# What a release build adds to an optimised one (presets release-linux and
# release-win32, run by scripts/dist.sh):
# - no path of the machine it was built on inside the programs: the source
#   and build folders are mapped to "." and "build" wherever the compiler would
#   write them (__FILE__ in assertions, debug information);
# - stripped programs, and on Windows no link time in the PE header, so that
#   two builds of one commit give the same bytes;
# - on Linux the hardening a Debian package is expected to have (the Windows
#   programs have theirs in every build: CMakeLists.txt).
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_link_options(-s)
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
else()
  add_compile_options(-D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection
                      -fcf-protection)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
  # Position-independent, whatever the compiler's default (Debian's is PIE).
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
endif()
