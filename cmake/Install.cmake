# What `cmake --install` puts where, the files that integrate the programs with a Linux
# desktop, the Windows resources, and the Debian package (`make package`).
# Sources of everything installed here live in packaging/; generated files in build/packaging/.
include(GNUInstallDirs)

set(QM_PACKAGE_NAME qm4edit-pixloom)
set(QM_MAINTAINER "Fennwick Software <packages@fennwick.example>")
set(QM_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${QM_PACKAGE_NAME})
set(_qm_pkg_src ${CMAKE_SOURCE_DIR}/packaging)
set(_qm_pkg_out ${CMAKE_BINARY_DIR}/packaging)

# The desktop and AppStream ids; the icon names are the ones the association registrar
# installs for a single user, so both find the same pictures.
set(QM_QM4EDIT_ID com.fennwick.QM4Edit)
set(QM_PIXLOOM_ID com.fennwick.Pixloom)

# --- Programs --------------------------------------------------------------------------
set(_qm_programs)
foreach(program QM4Edit Pixloom qm4tool textool)
  if(TARGET ${program})
    list(APPEND _qm_programs ${program})
  endif()
endforeach()
# On Windows everything lies in one folder, as a portable copy and the installer want it.
set(QM_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
if(WIN32)
  set(QM_INSTALL_BINDIR .)
endif()
install(TARGETS ${_qm_programs} RUNTIME DESTINATION ${QM_INSTALL_BINDIR})

# --- Icons, rendered from the drawings the programs use at run time -------------------
# A cross build runs the renderer through its emulator (wine); one without the programs takes
# the icons of a native build instead.
set(QM_ICON_DIR "" CACHE PATH "Folder with icons rendered by a native build (for cross builds)")
if(TARGET qm_editor AND TARGET qm_pixloom AND (NOT CMAKE_CROSSCOMPILING OR CMAKE_CROSSCOMPILING_EMULATOR))
  find_package(Qt6 QUIET COMPONENTS Svg)
  add_executable(qm_iconrender ${_qm_pkg_src}/iconrender/IconRender.cpp)
  target_link_libraries(qm_iconrender PRIVATE qm_editor qm_pixloom)
  if(NOT CMAKE_CROSSCOMPILING)
    set_target_properties(qm_iconrender PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_qm_pkg_out})
  endif()
  set(_qm_icon_out ${_qm_pkg_out}/icons)
  set(_qm_icon_files ${_qm_icon_out}/QM4Edit.ico ${_qm_icon_out}/Pixloom.ico)
  foreach(name fennwick-qm4edit fennwick-pixloom)
    foreach(size 16 22 24 32 48 64 128 256)
      list(APPEND _qm_icon_files ${_qm_icon_out}/hicolor/${size}x${size}/apps/${name}.png)
    endforeach()
    if(TARGET Qt6::Svg)
      list(APPEND _qm_icon_files ${_qm_icon_out}/hicolor/scalable/apps/${name}.svg)
    endif()
  endforeach()
  if(TARGET Qt6::Svg)
    target_link_libraries(qm_iconrender PRIVATE Qt6::Svg)
    target_compile_definitions(qm_iconrender PRIVATE QM_HAVE_SVG)
  endif()
  add_custom_command(
    OUTPUT ${_qm_icon_files}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:qm_iconrender> ${_qm_icon_out}
    DEPENDS qm_iconrender
    COMMENT "Rendering the program icons"
    VERBATIM)
  add_custom_target(qm_icons ALL DEPENDS ${_qm_icon_files})
  if(NOT WIN32) # Windows takes the icons from the programs themselves
    install(DIRECTORY ${_qm_icon_out}/hicolor DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons)
  endif()
  set(QM_ICON_DIR ${_qm_icon_out})
endif()

# --- Windows resources: the program icon as icon 0, and the version ----------------------
# Pixloom's resource carries the file and product version its users have always seen; the
# other programs carry the release version.
set(QM_PIXLOOM_RESOURCE_VERSION "1.2.0.1" CACHE STRING "Pixloom's Windows file and product version (empty: the release version)")
include(${CMAKE_CURRENT_LIST_DIR}/WindowsResources.cmake)

# --- Windows: the runtime, the samples and licences beside the programs; zip and installer
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackage.cmake)
  return()
endif()

# --- Desktop entries, AppStream metadata, MIME types -----------------------------------
install(FILES ${_qm_pkg_src}/mime/${QM_PACKAGE_NAME}.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages)
foreach(id ${QM_QM4EDIT_ID} ${QM_PIXLOOM_ID})
  string(REGEX REPLACE "^.*\\." "" _qm_program ${id})
  if(TARGET ${_qm_program})
    configure_file(${_qm_pkg_src}/desktop/${id}.metainfo.xml.in ${_qm_pkg_out}/${id}.metainfo.xml @ONLY)
    install(FILES ${_qm_pkg_src}/desktop/${id}.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
    install(FILES ${_qm_pkg_out}/${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
  endif()
endforeach()

# --- Manual pages, compressed as Debian wants them where gzip is at hand ---------------
find_program(QM_GZIP gzip)
set(_qm_man_outputs)
foreach(program ${_qm_programs})
  set(_qm_man ${_qm_pkg_out}/man/${program}.1)
  configure_file(${_qm_pkg_src}/man/${program}.1.in ${_qm_man} @ONLY)
  if(QM_GZIP)
    add_custom_command(
      OUTPUT ${_qm_man}.gz
      COMMAND ${QM_GZIP} -9nf -k ${_qm_man}
      DEPENDS ${_qm_man}
      VERBATIM)
    list(APPEND _qm_man_outputs ${_qm_man}.gz)
  else()
    list(APPEND _qm_man_outputs ${_qm_man})
  endif()
endforeach()
add_custom_target(qm_man ALL DEPENDS ${_qm_man_outputs})
install(FILES ${_qm_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- Shell completion, documentation -----------------------------------------------------
foreach(tool qm4tool textool)
  if(TARGET ${tool})
    install(FILES ${_qm_pkg_src}/completions/${tool} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)
  endif()
endforeach()

# --- Previews in file managers: the freedesktop thumbnailers of both file types ----------
foreach(tool qm4tool textool)
  if(TARGET ${tool})
    install(FILES ${_qm_pkg_src}/thumbnailers/com.fennwick.${tool}.thumbnailer
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/thumbnailers)
  endif()
endforeach()

configure_file(${_qm_pkg_src}/debian/changelog.in ${_qm_pkg_out}/changelog @ONLY)
set(_qm_changelog ${_qm_pkg_out}/changelog)
if(QM_GZIP)
  add_custom_command(
    OUTPUT ${_qm_pkg_out}/changelog.gz
    COMMAND ${QM_GZIP} -9nf -k ${_qm_pkg_out}/changelog
    DEPENDS ${_qm_pkg_out}/changelog
    VERBATIM)
  add_custom_target(qm_changelog ALL DEPENDS ${_qm_pkg_out}/changelog.gz)
  set(_qm_changelog ${_qm_pkg_out}/changelog.gz)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md ${_qm_pkg_src}/debian/copyright ${_qm_changelog}
        DESTINATION ${QM_DOC_DIR})
# The guide's screenshots, beside it as its links expect.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/images DESTINATION ${QM_DOC_DIR} FILES_MATCHING PATTERN "*.png")

# --- The Debian package -----------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QM_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${QM_VERSION})
set(CPACK_PACKAGE_VENDOR "Fennwick Software")
set(CPACK_PACKAGE_CONTACT "${QM_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "scene editor and texture tool for Morvel engine files")
# Debian wants the extended description in lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "QM4Edit shows the objects, polygons and vertices of .qm4 scene files, moves\n"
    "vertices, exchanges polygons and vertices with CSV files and saves the scene\n"
    "with everything not edited written back as it was read. Pixloom shows .tex\n"
    "textures and their header and exchanges their pixels with Targa images.\n"
    "File managers show previews of both file types.\n"
    "The command-line tools qm4tool and textool do the same work in batch.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
