# Installing and packaging: the three programs, the desktop entry, the
# icons, the project file type, the manual pages, the shell completion and
# the examples; `cpack -G DEB` makes a Debian package of them.
include(GNUInstallDirs)

install(TARGETS avelor AVELORX3 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(AVELOR_BUILD_GUI)
  install(TARGETS avelorw RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/avelorw.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/avelorw-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME avelorw.xml)
  foreach(size 16 32 48 64 128 256)
    install(FILES packaging/icons/avelorw-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME avelorw.png)
  endforeach()
  install(FILES packaging/icons/avelorw.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Manual pages, compressed as Debian keeps them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(man_pages avelor AVELORX3)
if(AVELOR_BUILD_GUI)
  list(APPEND man_pages avelorw)
endif()
set(man_outputs "")
foreach(page IN LISTS man_pages)
  set(out "${CMAKE_BINARY_DIR}/man/${page}.1.gz")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/man"
    COMMAND "${GZIP_PROGRAM}" -9nc "${CMAKE_SOURCE_DIR}/packaging/man/${page}.1" > "${out}"
    DEPENDS "${CMAKE_SOURCE_DIR}/packaging/man/${page}.1"
    COMMENT "Compressing the manual page of ${page}")
  list(APPEND man_outputs "${out}")
  install(FILES "${out}" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_outputs})

# The user guide as a page the desktop's browser shows (Help › Help
# Contents), beside the programs in the build tree as where it is installed.
find_program(CMARK_PROGRAM cmark-gfm REQUIRED)
set(guide_html "${CMAKE_BINARY_DIR}/doc/user-guide.html")
file(GLOB guide_images CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/docs/images/*.png")
add_custom_command(
  OUTPUT "${guide_html}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/doc/images"
  COMMAND "${CMAKE_COMMAND}" -E copy ${guide_images} "${CMAKE_BINARY_DIR}/doc/images/"
  COMMAND "${CMAKE_COMMAND}" -DCMARK=${CMARK_PROGRAM} -DSOURCE=${CMAKE_SOURCE_DIR}/docs/user-guide.md
          -DOUTPUT=${guide_html} -P "${CMAKE_SOURCE_DIR}/cmake/make_user_guide.cmake"
  DEPENDS "${CMAKE_SOURCE_DIR}/docs/user-guide.md" "${CMAKE_SOURCE_DIR}/cmake/make_user_guide.cmake" ${guide_images}
  COMMENT "Making the user guide")
add_custom_target(user_guide ALL DEPENDS "${guide_html}")
install(FILES "${guide_html}" DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/avelorw)
install(FILES ${guide_images} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/avelorw/images)

install(FILES packaging/completion/avelor DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/avelorw/examples FILES_MATCHING PATTERN "*.prj")
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/avelorw)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/avelorw RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME avelorw)
set(CPACK_PACKAGE_VENDOR "AvelorW developers")
set(CPACK_PACKAGE_CONTACT "AvelorW developers <avelorw-devel@lists.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and engine for multizone building airflow and contaminant models")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Editor and engine for multizone building airflow and contaminant models
 AvelorW draws a building storey by storey on a SketchPad (walls enclose
 zones; icons stand for zones, airflow paths, air-handling systems, sources
 and occupants), saves the model as a project file, runs the simulation
 engine AVELORX3 on it and shows the airflows, pressures and concentrations
 on the drawing. The command-line tool avelor reads, checks, saves, renders
 and runs projects without a display.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
