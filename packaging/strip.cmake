# Run by CPack on the staged files, before it packs them: strips the binaries as Debian
# strips its own, the compiler's identification and notes included.
file(GLOB binaries ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*)
if(NOT binaries)
  message(FATAL_ERROR "no binary staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin")
endif()
execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${binaries}
                COMMAND_ERROR_IS_FATAL ANY)
