# Run by cpack on the staged tree before packing: removes the sections
# Debian's own strip step removes (.comment, .note), which cpack's strip keeps.
file(GLOB_RECURSE QM_STAGED_FILES LIST_DIRECTORIES false
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*" "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/lib/quillmere/*")
foreach(binary IN LISTS QM_STAGED_FILES)
  execute_process(COMMAND objcopy --remove-section=.comment --remove-section=.note ${binary}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "objcopy could not strip ${binary}")
  endif()
endforeach()
