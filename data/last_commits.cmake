# Writes the change log shown by the about dialog: the most recent commits from git, or,
# where git or the repository history is not at hand, the copy shipped in the sources.
# Called with -DSOURCE_DIR=... -DOUTPUT=... -DFALLBACK=... [-DGIT_EXECUTABLE=...]
set(log_text "")
if(GIT_EXECUTABLE)
    execute_process(
        COMMAND ${GIT_EXECUTABLE} log -n 30 --date=short "--format=%ad %h %s"
        WORKING_DIRECTORY ${SOURCE_DIR}
        RESULT_VARIABLE git_result
        OUTPUT_VARIABLE git_output
        ERROR_QUIET)
    if(git_result EQUAL 0 AND NOT git_output STREQUAL "")
        set(log_text "[lastCommits]\n${git_output}")
    endif()
endif()
if(log_text STREQUAL "")
    file(READ ${FALLBACK} log_text)
endif()
# Rewrite only on a change, so that an unchanged history leaves the file's time alone.
set(old_text "")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old_text)
endif()
if(NOT old_text STREQUAL log_text)
    file(WRITE ${OUTPUT} "${log_text}")
endif()
