# Read by cpack when it makes the zip (CPACK_PROJECT_CONFIG_FILE). Every entry
# gets the time of the last commit instead of the time of the build, so that
# two builds of one commit give the same bytes. A time already given in
# SOURCE_DATE_EPOCH is kept; outside a git checkout the entries keep their
# files' own times.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git log -1 --format=%ct
        WORKING_DIRECTORY "@PROJECT_SOURCE_DIR@"
        OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE git_status ERROR_QUIET)
    if(git_status EQUAL 0 AND commit_time)
        set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
    endif()
endif()
