# The Windows release, included by Install.cmake for Windows builds: one folder holding the
# programs and tools, the Qt and MinGW-w64 runtime they load, the demo files and the licences
# of everything in it. CPack makes it into a portable zip and a 64-bit NSIS installer:
#   cpack -G ZIP   -> QM4Edit-Pixloom-<version>-win64.zip (the folder inside)
#   cpack -G NSIS64 -> QM4Edit-Pixloom-<version>-win64-setup.exe
# (`make windows` does both.)

if(TARGET QM4Edit AND TARGET Pixloom)
  # The runtime, as WindowsRuntime.cmake copied it beside the programs.
  set(_qm_shipped_dlls ${QM_WINDOWS_RUNTIME_DLLS})
  list(TRANSFORM _qm_shipped_dlls REPLACE "^.*/" "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/")
  install(FILES ${_qm_shipped_dlls} DESTINATION .)
  foreach(plugin ${QM_WINDOWS_PLUGINS})
    get_filename_component(_qm_dir ${plugin} DIRECTORY)
    install(FILES ${QM_QT_WINDOWS_PREFIX}/plugins/${plugin} DESTINATION ${_qm_dir})
  endforeach()

  # The demo scene with the textures it names, and the demo texture.
  install(FILES ${CMAKE_BINARY_DIR}/samples/demo.qm4 ${CMAKE_BINARY_DIR}/samples/demo.tex
                ${CMAKE_BINARY_DIR}/samples/brick.tex ${CMAKE_BINARY_DIR}/samples/stone.tex
                ${CMAKE_BINARY_DIR}/samples/brass.tex ${CMAKE_BINARY_DIR}/samples/grass.tex
          DESTINATION samples)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md DESTINATION docs)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/images DESTINATION docs FILES_MATCHING PATTERN "*.png")

  # Licences: ours with the header-only libraries compiled in; Qt with the libraries it
  # bundles (Debian's record of its source, which this Qt is built from); the GCC runtime and
  # winpthreads of MinGW-w64; and the full texts those records refer to.
  set(_qm_licences
      "${_qm_pkg_src}/debian/copyright|QM4Edit-Pixloom.txt"
      "/usr/share/doc/libqt6core6/copyright|Qt.txt"
      "/usr/share/doc/gcc-mingw-w64-base/copyright|MinGW-w64-GCC-runtime.txt"
      "/usr/share/doc/mingw-w64-common/copyright|MinGW-w64-runtime.txt"
      "/usr/share/common-licenses/LGPL-3|LGPL-3.txt"
      "/usr/share/common-licenses/GPL-3|GPL-3.txt"
      "/usr/share/common-licenses/GPL-2|GPL-2.txt")
  foreach(entry ${_qm_licences})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 _qm_from)
    list(GET entry 1 _qm_to)
    if(NOT EXISTS "${_qm_from}")
      message(FATAL_ERROR "Licence text ${_qm_from} not found (scripts/install-deps.sh --ci installs it)")
    endif()
    install(FILES "${_qm_from}" DESTINATION licenses RENAME "${_qm_to}")
  endforeach()
endif()

set(CPACK_PACKAGE_NAME QM4Edit-Pixloom)
set(CPACK_PACKAGE_VENDOR "Fennwick Software")
set(CPACK_PACKAGE_VERSION ${QM_VERSION})
set(CPACK_PACKAGE_VERSION_MAJOR ${QM_VERSION_MAJOR})
set(CPACK_PACKAGE_VERSION_MINOR ${QM_VERSION_MINOR})
set(CPACK_PACKAGE_VERSION_PATCH ${QM_VERSION_PATCH})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scene editor and texture tool for Morvel engine files")
set(CPACK_PACKAGE_FILE_NAME QM4Edit-Pixloom-${QM_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "QM4Edit and Pixloom")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "QM4Edit-Pixloom")
set(CPACK_PACKAGE_EXECUTABLES QM4Edit QM4Edit Pixloom Pixloom)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR ZIP NSIS64)
set(CPACK_RESOURCE_FILE_LICENSE ${_qm_pkg_src}/debian/copyright)

set(CPACK_NSIS_PACKAGE_NAME "QM4Edit and Pixloom")
set(CPACK_NSIS_DISPLAY_NAME "QM4Edit and Pixloom ${QM_VERSION}")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME QM4Edit.exe)
set(CPACK_NSIS_MUI_ICON ${QM_ICON_DIR}/QM4Edit.ico)
set(CPACK_NSIS_MUI_UNIICON ${QM_ICON_DIR}/QM4Edit.ico)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# The project's template: CPack's own, built as a 64-bit program, with the choice of making
# both programs the handlers of their file types and the uninstaller taking that back.
set(CPACK_MODULE_PATH ${_qm_pkg_src}/windows)
# The installer's own file name.
configure_file(${_qm_pkg_src}/windows/CPackOptions.cmake.in ${_qm_pkg_out}/CPackOptions.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${_qm_pkg_out}/CPackOptions.cmake)
include(CPack)
