# The release files of a release build (presets release-linux and
# release-win32, put together by scripts/dist.sh):
#   Linux    tq214_VERSION_amd64.deb, made by CPack (target "package")
#   Windows  Tessaloft_Orvexa_TQ-214-VERSION-unsigned-win32.zip (target
#            release_zip; scripts/dist.sh signs the programs when it can)
# A build that carries the stand-in image says so in every release file name
# and in the package's description.
include(${PROJECT_SOURCE_DIR}/cmake/SourceDateEpoch.cmake)

set(tq214_release_tag "")
set(tq214_readme_stand_in_note "")
if(NOT TQ214_FIRMWARE_IMAGE)
  set(tq214_release_tag "-stand-in")
  set(tq214_readme_stand_in_note "
THIS BUILD CARRIES A STAND-IN IMAGE, NOT THE FIRMWARE. It updates the
virtual enclosure of tq214 --simulate only, and refuses real enclosures.
")
endif()
set(tq214_release_dir ${CMAKE_BINARY_DIR}/release)
set(tq214_maintainer "Tessaloft firmware team <firmware@tessaloft.example>")

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsZip.cmake)
else()
  include(${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
endif()
