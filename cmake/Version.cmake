# The release version comes from project(VERSION) alone: --version of every program, the
# Debian package and the Windows version resources all read it from here.
set(QM_VERSION "${PROJECT_VERSION}")
set(QM_VERSION_MAJOR "${PROJECT_VERSION_MAJOR}")
set(QM_VERSION_MINOR "${PROJECT_VERSION_MINOR}")
set(QM_VERSION_PATCH "${PROJECT_VERSION_PATCH}")
if(QM_VERSION_PATCH STREQUAL "")
  set(QM_VERSION_PATCH 0)
endif()
# Date of the release in the package changelog, the manual pages and the AppStream metadata
# (the changelog wants it in RFC 2822 form too; keep the two in step).
set(QM_RELEASE_DATE "2026-12-08")
set(QM_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 00:00:00 +0000")

configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${CMAKE_BINARY_DIR}/generated/common/Version.h @ONLY)
add_library(qm_version INTERFACE)
target_include_directories(qm_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
