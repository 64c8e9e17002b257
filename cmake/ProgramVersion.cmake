# The program's version is the one project() sets in the top-level
# CMakeLists.txt. This makes it a header that both C++ and the resource
# compiler read: tq214 --version, the window's caption and the Windows version
# blocks take it from there, and the release file names from PROJECT_VERSION.
set(tq214_version_dir ${CMAKE_BINARY_DIR}/generated/version)
configure_file(${PROJECT_SOURCE_DIR}/cmake/ProgramVersionInfo.h.in
               ${tq214_version_dir}/ProgramVersionInfo.h @ONLY)
