# Installation rules, the desktop theme's icons and the Debian package.
#
# Layout under the prefix:
#   lib/tagscope/tagscope              the program
#   lib/tagscope/exiftool/             the ExifTool package, which the program looks for beside itself
#   lib/tagscope/license.txt           opened by the about box from the program's folder
#   bin/tagscope                       a relative symbolic link to the program
#   share/applications, share/metainfo the desktop entry and the AppStream metainfo
#   share/icons/hicolor/               the program icon, 16 to 256 px and scalable
# The program finds its folder through /proc/self/exe, which names the link's target, so started through bin/ it
# still sees the package and the licence beside it. A link rather than a wrapper script keeps the process name and
# the window class "tagscope" and costs no extra shell at start.

include(GNUInstallDirs)

set(TAGSCOPE_INSTALL_PROGRAMDIR "lib/tagscope" CACHE STRING
    "Folder, relative to the prefix, that holds the program, its ExifTool package and license.txt")

# --- Icons for the desktop's icon theme, drawn from the program's own SVG at build time -------------------------

# A build tool, built without the sanitizers that tagscope_options may carry: Qt converts larger images on worker
# threads of its own, and ThreadSanitizer, which cannot see Qt's synchronisation, would stop the build with reports
# about Qt's internals.
add_executable(tagscope-rendericon "${PROJECT_SOURCE_DIR}/src/tools/rendericon.cpp")
target_compile_features(tagscope-rendericon PRIVATE cxx_std_20)
target_compile_options(tagscope-rendericon PRIVATE
    -Wall -Wextra -Wpedantic -Wold-style-cast $<$<BOOL:${TAGSCOPE_WERROR}>:-Werror>)
target_compile_definitions(tagscope-rendericon PRIVATE QT_NO_CAST_FROM_ASCII)
target_link_libraries(tagscope-rendericon PRIVATE Qt6::Gui Qt6::Svg)

set(TAGSCOPE_ICON_SOURCE "${PROJECT_SOURCE_DIR}/resources/icons/tagscope.svg")
set(TAGSCOPE_HICOLOR_DIR "${CMAKE_BINARY_DIR}/hicolor")
set(TAGSCOPE_HICOLOR_FILES)
foreach(size IN ITEMS 16 24 32 48 64 128 256)
    set(dir "${TAGSCOPE_HICOLOR_DIR}/${size}x${size}/apps")
    set(png "${dir}/${TAGSCOPE_APP_ID}.png")
    add_custom_command(
        OUTPUT "${png}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${dir}"
        COMMAND tagscope-rendericon "${TAGSCOPE_ICON_SOURCE}" ${size} "${png}"
        DEPENDS tagscope-rendericon "${TAGSCOPE_ICON_SOURCE}"
        COMMENT "Rendering the ${size} px program icon"
        VERBATIM)
    list(APPEND TAGSCOPE_HICOLOR_FILES "${png}")
endforeach()
add_custom_target(tagscope_desktop_icons ALL DEPENDS ${TAGSCOPE_HICOLOR_FILES})

# --- Install rules ------------------------------------------------------------------------------------------------

install(TARGETS tagscope RUNTIME DESTINATION "${TAGSCOPE_INSTALL_PROGRAMDIR}")
install(FILES "${TAGSCOPE_OUTPUT_DIR}/license.txt" DESTINATION "${TAGSCOPE_INSTALL_PROGRAMDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/tagscope"
        RENAME copyright)

# The build makes the package folder with the target exiftool_package; USE_SOURCE_PERMISSIONS keeps its launcher
# executable. Without the package the installed program would fall back to an ExifTool found on PATH.
if(TARGET exiftool_package)
    install(DIRECTORY "${TAGSCOPE_OUTPUT_DIR}/exiftool" DESTINATION "${TAGSCOPE_INSTALL_PROGRAMDIR}"
            USE_SOURCE_PERMISSIONS)
else()
    message(WARNING "No target exiftool_package: the ExifTool package is not installed beside the program")
endif()

# install(FILES) copies a symbolic link as a link, so the link made here lands in bin/ unchanged.
file(RELATIVE_PATH _tagscope_link_target "/${CMAKE_INSTALL_BINDIR}" "/${TAGSCOPE_INSTALL_PROGRAMDIR}/tagscope")
set(_tagscope_link "${CMAKE_BINARY_DIR}/install-link/tagscope")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/install-link")
file(CREATE_LINK "${_tagscope_link_target}" "${_tagscope_link}" SYMBOLIC)
install(FILES "${_tagscope_link}" DESTINATION "${CMAKE_INSTALL_BINDIR}")

install(FILES "${PROJECT_SOURCE_DIR}/resources/${TAGSCOPE_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/resources/${TAGSCOPE_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/metainfo")
install(DIRECTORY "${TAGSCOPE_HICOLOR_DIR}/" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor")
install(FILES "${TAGSCOPE_ICON_SOURCE}" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps"
        RENAME "${TAGSCOPE_APP_ID}.svg")

# --- Debian package -------------------------------------------------------------------------------------------------

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tagscope")
set(CPACK_PACKAGE_VENDOR "${TAGSCOPE_COMPANY_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Lists the files of a folder and shows their metadata as ExifTool reads it.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAGSCOPE_COMPANY_NAME}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
# The shared libraries the program links come from dpkg-shlibdeps; the list below adds what is only loaded at run
# time or started as a program: the X11 and Wayland platform plugins, the SVG icon engine (libqt6svg6), xdg-open
# for opening files and pages, Perl's ExifTool modules, and qpdf, which rewrites the copy of a PDF without its
# earlier revisions.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, libqt6svg6, xdg-utils, libimage-exiftool-perl, qpdf")
include(CPack)
