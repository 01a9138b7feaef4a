# Makes a release zip and SHA256SUMS beside it. One commit gives the same
# bytes wherever it is built: the files go in sorted by name, all with one
# mode, and every time stamp in the zip is the commit's (SOURCE_DATE_EPOCH
# when set), in UTC.
# Usage: cmake -DZIP=DIR/NAME.zip -DFILES=FILE;... -DSOURCE_DIR=DIR -P release_zip.cmake
cmake_minimum_required(VERSION 3.25)

# 1980-01-01, the earliest time a zip can hold: for a tree that is no git checkout.
set(kNoCommitTime 315532800)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed OR epoch STREQUAL "")
    set(epoch ${kNoCommitTime})
  endif()
endif()

get_filename_component(folder "${ZIP}" DIRECTORY)
get_filename_component(zipName "${ZIP}" NAME)
set(stage "${folder}/release")
file(REMOVE_RECURSE "${stage}")
set(names "")
foreach(file IN LISTS FILES)
  file(COPY "${file}" DESTINATION "${stage}"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  get_filename_component(name "${file}" NAME)
  list(APPEND names "${name}")
endforeach()
list(SORT names)

file(REMOVE "${ZIP}")
# cmake -E tar gives every time of an entry the value of SOURCE_DATE_EPOCH.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch} TZ=UTC
    ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip -- ${names}
  WORKING_DIRECTORY "${stage}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${zipName} could not be made")
endif()
file(SHA256 "${ZIP}" hash)
file(WRITE "${folder}/SHA256SUMS" "${hash}  ${zipName}\n")
message(STATUS "${zipName}: ${names}, SHA-256 ${hash}")
