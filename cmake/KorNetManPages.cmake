# kornet_install_man(<page.N> COMPONENT <component> [ALIASES <name.N>...])
# Installs a roff manual page in share/man/manN, gzipped as Debian wants it
# (plain when gzip is missing); each alias becomes a link to it.
find_program(KORNET_GZIP gzip)
function(kornet_install_man source)
  cmake_parse_arguments(M "" "COMPONENT" "ALIASES" ${ARGN})
  get_filename_component(name ${source} NAME)
  string(REGEX MATCH "[0-9]$" section ${name})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/man)
  set(suffix "")
  if(KORNET_GZIP)
    set(suffix .gz)
    add_custom_command(OUTPUT ${dir}/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${dir}/${name}
      COMMAND ${KORNET_GZIP} -9nf ${dir}/${name}
      DEPENDS ${source}
      COMMENT "Compressing the manual page ${name}"
      VERBATIM)
    add_custom_target(man_${name} ALL DEPENDS ${dir}/${name}.gz)
    set(page ${dir}/${name}.gz)
  else()
    set(page ${source})
  endif()
  set(destination ${CMAKE_INSTALL_MANDIR}/man${section})
  install(FILES ${page} DESTINATION ${destination} COMPONENT ${M_COMPONENT})
  foreach(alias ${M_ALIASES})
    file(MAKE_DIRECTORY ${dir}/aliases)
    file(CREATE_LINK ${name}${suffix} ${dir}/aliases/${alias}${suffix} SYMBOLIC)
    install(FILES ${dir}/aliases/${alias}${suffix} DESTINATION ${destination} COMPONENT ${M_COMPONENT})
  endforeach()
endfunction()
