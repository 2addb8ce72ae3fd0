# The Qt and MinGW-w64 runtime DLLs a Windows build of the programs needs, copied beside the
# executables when the build is configured, so that everything in bin/ (programs, tests, the
# icon renderer) starts under wine or on Windows as it is, and the package takes them from
# the same place. Included from the top CMakeLists.txt for Windows builds with the GUI.

get_filename_component(QM_QT_WINDOWS_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
set(_qm_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

# Shipped: what the programs load. Qt6Test is for the test programs only.
set(QM_WINDOWS_RUNTIME_DLLS)
foreach(module Core Gui Widgets OpenGL OpenGLWidgets)
  list(APPEND QM_WINDOWS_RUNTIME_DLLS ${QM_QT_WINDOWS_PREFIX}/bin/Qt6${module}.dll)
endforeach()
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE _qm_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${_qm_dll}" OR NOT EXISTS "${_qm_dll}")
    message(FATAL_ERROR "${dll} of ${CMAKE_CXX_COMPILER} not found")
  endif()
  get_filename_component(_qm_dll "${_qm_dll}" REALPATH)
  list(APPEND QM_WINDOWS_RUNTIME_DLLS ${_qm_dll})
endforeach()
# The window system and the native look; offscreen and minimal only for tests.
set(QM_WINDOWS_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll)
set(_qm_test_plugins platforms/qoffscreen.dll platforms/qminimal.dll)

foreach(file ${QM_WINDOWS_RUNTIME_DLLS} ${QM_QT_WINDOWS_PREFIX}/bin/Qt6Test.dll)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} not found: is ${QM_QT_WINDOWS_PREFIX} Qt for Windows?")
  endif()
  get_filename_component(_qm_name ${file} NAME)
  if(NOT EXISTS ${_qm_bin}/${_qm_name} OR ${file} IS_NEWER_THAN ${_qm_bin}/${_qm_name})
    file(COPY ${file} DESTINATION ${_qm_bin})
    # MinGW-w64's own DLLs come with their symbols: a tenth of the size without.
    if(CMAKE_STRIP)
      execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded ${_qm_bin}/${_qm_name})
    endif()
  endif()
endforeach()
foreach(plugin ${QM_WINDOWS_PLUGINS} ${_qm_test_plugins})
  if(NOT EXISTS ${QM_QT_WINDOWS_PREFIX}/plugins/${plugin})
    message(FATAL_ERROR "Qt plugin ${plugin} not found in ${QM_QT_WINDOWS_PREFIX}/plugins")
  endif()
  get_filename_component(_qm_dir ${plugin} DIRECTORY)
  file(COPY ${QM_QT_WINDOWS_PREFIX}/plugins/${plugin} DESTINATION ${_qm_bin}/${_qm_dir})
endforeach()
