# TQ214_SOURCE_DATE_EPOCH: the one time a build writes into what it makes (the
# manual page's date, the package's changelog and file times, the zip's file
# times). SOURCE_DATE_EPOCH from the environment when set, otherwise the time
# of the commit the source comes from, so that two builds of one commit agree.
include_guard(GLOBAL)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(TQ214_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  find_program(TQ214_GIT git)
  set(TQ214_SOURCE_DATE_EPOCH "")
  if(TQ214_GIT)
    execute_process(COMMAND ${TQ214_GIT} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE TQ214_SOURCE_DATE_EPOCH
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
endif()
if(NOT TQ214_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "No source date: set SOURCE_DATE_EPOCH, or build from a git checkout")
endif()

# string(TIMESTAMP) and the tools run at configure time take it from here.
set(ENV{SOURCE_DATE_EPOCH} ${TQ214_SOURCE_DATE_EPOCH})

# Written only when it changes, so that what depends on the date is remade then.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/source-date-epoch
     CONTENT "${TQ214_SOURCE_DATE_EPOCH}\n")
set(TQ214_SOURCE_DATE_STAMP ${CMAKE_BINARY_DIR}/generated/source-date-epoch)
