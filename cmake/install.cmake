# What `cmake --install` puts where: the two programs in bin, their manual
# pages in share/man/man1 and the README, copyright and changelog in the
# package's doc folder.  The .deb (cmake/package.cmake) ships exactly this.
include(GNUInstallDirs)

set(XT_DOC_DIR ${CMAKE_SOURCE_DIR}/doc)

# The changelog's newest entry names the version it describes; a release
# whose changelog lags behind project(VERSION) is refused here, not later
# by whoever reads the package.
file(STRINGS ${XT_DOC_DIR}/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^xtinkerbot \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "doc/changelog: the newest entry is not version ${PROJECT_VERSION}: ${newest}")
endif()

# Directories as a package has them, whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(XT_MAN_PAGES xtinkerbot.1 xtinkerbot-batch.1)

# Manual pages and the changelog are installed compressed, as Debian wants
# them; -n leaves the name and time out, so equal sources give equal bytes.
find_program(XT_GZIP gzip REQUIRED)
set(compressed)
foreach(name ${XT_MAN_PAGES} changelog)
  set(plain ${CMAKE_BINARY_DIR}/doc/${name})
  set(out ${plain}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E copy ${XT_DOC_DIR}/${name} ${plain}
    COMMAND ${XT_GZIP} -9nf ${plain}
    DEPENDS ${XT_DOC_DIR}/${name}
    VERBATIM)
  list(APPEND compressed ${out})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})

set(programs xtinkerbot)
if(TARGET xtinkerbot-batch)
  list(APPEND programs xtinkerbot-batch)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

foreach(name ${XT_MAN_PAGES})
  install(FILES ${CMAKE_BINARY_DIR}/doc/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${XT_DOC_DIR}/copyright
  ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
