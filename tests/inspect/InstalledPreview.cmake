# Installs the build into a fresh prefix and draws a sheet with the installed
# varnel-cli, which must find its preview module there.
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${OUT}/prefix
                OUTPUT_QUIET RESULT_VARIABLE installed TIMEOUT 60)
if(NOT installed EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()
execute_process(COMMAND ${OUT}/prefix/bin/varnel-cli preview ${FONT} -o ${OUT}/sheet.png
                RESULT_VARIABLE drawn ERROR_VARIABLE error TIMEOUT 60)
if(NOT drawn EQUAL 0 OR NOT EXISTS ${OUT}/sheet.png)
    message(FATAL_ERROR "the installed varnel-cli drew no sheet (${drawn}): ${error}")
endif()
file(REMOVE_RECURSE ${OUT})
