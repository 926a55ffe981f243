# Script mode (cmake -P): packs the system's ExifTool script and the modules it needs into a ZIP archive holding the
# folder "exiftool_files" with "exiftool.pl" and "lib/".
#   EXIFTOOL_SCRIPT  the ExifTool script (/usr/bin/exiftool)
#   EXIFTOOL_LIB     the Perl library folder holding Image/ExifTool.pm and File/RandomAccess.pm
#   STAGE_DIR        a scratch folder of the build, emptied first
#   OUTPUT           the archive to write
foreach(var EXIFTOOL_SCRIPT EXIFTOOL_LIB STAGE_DIR OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "BuildExifToolArchive.cmake: ${var} is not set")
    endif()
endforeach()

set(files "${STAGE_DIR}/exiftool_files")
file(REMOVE_RECURSE "${STAGE_DIR}")
file(MAKE_DIRECTORY "${files}/lib/Image" "${files}/lib/File")

file(COPY_FILE "${EXIFTOOL_SCRIPT}" "${files}/exiftool.pl")
file(COPY "${EXIFTOOL_LIB}/Image/ExifTool.pm" DESTINATION "${files}/lib/Image")
file(COPY "${EXIFTOOL_LIB}/Image/ExifTool" DESTINATION "${files}/lib/Image")
file(COPY "${EXIFTOOL_LIB}/File/RandomAccess.pm" DESTINATION "${files}/lib/File")

# Written beside the target and renamed over it, so an interrupted build never leaves half an archive.
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUTPUT}.part" --format=zip exiftool_files
    WORKING_DIRECTORY "${STAGE_DIR}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE "${OUTPUT}.part")
    message(FATAL_ERROR "Packing the ExifTool archive failed: ${result}")
endif()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
