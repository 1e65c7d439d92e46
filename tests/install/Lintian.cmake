# Builds the three Debian packages with cpack into a folder of its own and runs lintian on them: no error and
# no warning may remain. Skipped (exit code 77) where lintian is not installed.
find_program(LINTIAN lintian)
if(NOT LINTIAN)
    message("lintian is not installed: the packages are not checked")
    cmake_language(EXIT 77)
endif()
set(out ${OUT}/lintian)
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})
execute_process(COMMAND ${CPACK} -G DEB -B ${out} --config ${BUILD}/CPackConfig.cmake
                WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE code OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${log}")
endif()
file(GLOB debs ${out}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 3)
    message(FATAL_ERROR "cpack made ${count} packages, not 3: ${debs}")
endif()
# Informational tags are printed too, so the log shows what is left; only errors and warnings fail.
execute_process(COMMAND ${LINTIAN} --info --display-info --suppress-tags-from-file ${SCRIPTS}/lintian-overrides ${debs}
                OUTPUT_VARIABLE report ERROR_VARIABLE report)
message("${report}")
string(REGEX MATCHALL "(^|\n)[EW]: [^\n]*" problems "${report}")
if(problems)
    message(FATAL_ERROR "lintian reports errors or warnings:${problems}")
endif()
