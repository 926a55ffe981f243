# Builds the ExifTool package beside the program from the system's ExifTool installation:
#   exiftool/exiftool               a Perl launcher that runs exiftool_files/exiftool.pl beside it
#   exiftool/exiftool_files.zip     the folder "exiftool_files" with the script and its modules
find_program(TAGSCOPE_EXIFTOOL_SCRIPT exiftool DOC "The system's ExifTool script, packaged beside the program")
if(NOT TAGSCOPE_EXIFTOOL_SCRIPT)
    message(FATAL_ERROR "ExifTool not found: install libimage-exiftool-perl (scripts/setup does)")
endif()

execute_process(
    COMMAND "${PERL_EXECUTABLE}" -MImage::ExifTool -e [[print $INC{'Image/ExifTool.pm'}]]
    OUTPUT_VARIABLE _tagscope_exiftool_pm
    RESULT_VARIABLE _tagscope_perl_result)
if(NOT _tagscope_perl_result EQUAL 0 OR NOT EXISTS "${_tagscope_exiftool_pm}")
    message(FATAL_ERROR "Perl cannot load Image::ExifTool: install libimage-exiftool-perl (scripts/setup does)")
endif()
# .../Image/ExifTool.pm -> the library folder two levels up
get_filename_component(_tagscope_exiftool_lib "${_tagscope_exiftool_pm}" DIRECTORY)
get_filename_component(_tagscope_exiftool_lib "${_tagscope_exiftool_lib}" DIRECTORY)
if(NOT EXISTS "${_tagscope_exiftool_lib}/File/RandomAccess.pm")
    message(FATAL_ERROR "File/RandomAccess.pm is missing beside ${_tagscope_exiftool_pm}")
endif()

set(TAGSCOPE_EXIFTOOL_PACKAGE_DIR "${TAGSCOPE_OUTPUT_DIR}/exiftool")
set(_tagscope_launcher "${TAGSCOPE_EXIFTOOL_PACKAGE_DIR}/exiftool")
set(_tagscope_archive "${TAGSCOPE_EXIFTOOL_PACKAGE_DIR}/exiftool_files.zip")
set(_tagscope_launcher_configured "${CMAKE_BINARY_DIR}/exiftool-package/exiftool")

configure_file(cmake/exiftool-launcher.pl.in "${_tagscope_launcher_configured}" @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

file(GLOB_RECURSE _tagscope_exiftool_modules CONFIGURE_DEPENDS "${_tagscope_exiftool_lib}/Image/ExifTool/*")

add_custom_command(
    OUTPUT "${_tagscope_launcher}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${TAGSCOPE_EXIFTOOL_PACKAGE_DIR}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${_tagscope_launcher_configured}" "${_tagscope_launcher}"
    DEPENDS "${_tagscope_launcher_configured}"
    COMMENT "Copying the ExifTool launcher"
    VERBATIM)
add_custom_command(
    OUTPUT "${_tagscope_archive}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${TAGSCOPE_EXIFTOOL_PACKAGE_DIR}"
    COMMAND "${CMAKE_COMMAND}"
        -DEXIFTOOL_SCRIPT=${TAGSCOPE_EXIFTOOL_SCRIPT}
        -DEXIFTOOL_LIB=${_tagscope_exiftool_lib}
        -DSTAGE_DIR=${CMAKE_BINARY_DIR}/exiftool-package/stage
        -DOUTPUT=${_tagscope_archive}
        -P "${CMAKE_CURRENT_LIST_DIR}/BuildExifToolArchive.cmake"
    DEPENDS
        "${CMAKE_CURRENT_LIST_DIR}/BuildExifToolArchive.cmake"
        "${TAGSCOPE_EXIFTOOL_SCRIPT}"
        "${_tagscope_exiftool_pm}"
        "${_tagscope_exiftool_lib}/File/RandomAccess.pm"
        ${_tagscope_exiftool_modules}
    COMMENT "Packing ExifTool into exiftool_files.zip"
    VERBATIM)

add_custom_target(exiftool_package ALL DEPENDS "${_tagscope_launcher}" "${_tagscope_archive}")
add_dependencies(tagscope exiftool_package)
