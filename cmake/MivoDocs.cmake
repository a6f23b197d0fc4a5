# Man pages and shell completion.
#
# The man pages mivo.1 and mivo-catalogue.1 are made from the built programs'
# --help at build time by help2man (with the sections of doc/man/*.h2m), so a
# page always says what its program prints (run without the builder's XDG
# folders and proxy, which --help may show); without help2man they are left
# out with a warning. They land gzip-compressed in build/share/man/man1 and
# install to MANDIR/man1.
#
# The bash and zsh completion (doc/completion/) read the commands and options
# from the program's --help when completing; they install to
# DATADIR/bash-completion/completions (once per program name, the name the
# loader looks for) and DATADIR/zsh/vendor-completions.
option(MIVO_MAN_PAGES "Make the man pages with help2man" ON)
find_program(MIVO_HELP2MAN help2man)
find_program(MIVO_GZIP gzip)

set(MIVO_MAN_DIR ${PROJECT_BINARY_DIR}/share/man/man1)
set(MIVO_MAN_PAGES_BUILT)

# mivo_add_man_page(TARGET NAME SUMMARY): NAME.1.gz from TARGET's --help.
function(mivo_add_man_page target name summary)
  set(page ${MIVO_MAN_DIR}/${name}.1)
  set(include ${PROJECT_SOURCE_DIR}/doc/man/${name}.h2m)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MIVO_MAN_DIR}
    COMMAND ${CMAKE_COMMAND} -E env --unset=XDG_CONFIG_HOME --unset=XDG_CACHE_HOME --unset=http_proxy
      --unset=HTTP_PROXY ${MIVO_HELP2MAN} --no-info --no-discard-stderr --version-string=${PROJECT_VERSION}
      --name=${summary} --include=${include} --output=${page} $<TARGET_FILE:${target}>
    COMMAND ${MIVO_GZIP} -9nf ${page}
    DEPENDS ${target} ${include}
    COMMENT "Making the man page ${name}.1"
    VERBATIM)
  set(MIVO_MAN_PAGES_BUILT ${MIVO_MAN_PAGES_BUILT} ${page}.gz PARENT_SCOPE)
endfunction()

if(MIVO_MAN_PAGES AND MIVO_HELP2MAN AND MIVO_GZIP)
  mivo_add_man_page(mivo_host mivo "look up artists and albums on the music catalogue")
  mivo_add_man_page(mivo-catalogue mivo-catalogue "a local catalogue web site for mivo")
  add_custom_target(mivo_man_pages ALL DEPENDS ${MIVO_MAN_PAGES_BUILT})
  install(FILES ${MIVO_MAN_PAGES_BUILT} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
elseif(MIVO_MAN_PAGES)
  message(WARNING "help2man or gzip not found: the man pages are left out (scripts/install-deps installs them)")
endif()

foreach(program mivo mivo-catalogue)
  install(FILES ${PROJECT_SOURCE_DIR}/doc/completion/mivo.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/doc/completion/_mivo DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
