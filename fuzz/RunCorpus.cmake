# One fuzz target for RUNS executions, the checked-in CORPUS first, with a
# fixed seed; new inputs and findings go to WORK, never into the corpus.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/new ${WORK}/tmp)
if(IS_DIRECTORY /dev/shm)
    # The targets' scratch folders: saves there cost no disk flush.
    string(RANDOM LENGTH 8 suffix)
    set(tmp /dev/shm/orvix-fuzz-ci-${suffix})
    file(MAKE_DIRECTORY ${tmp})
else()
    set(tmp ${WORK}/tmp)
endif()
set(ENV{TMPDIR} ${tmp})
execute_process(COMMAND ${BIN} -runs=${RUNS} -seed=1 -timeout=25 -rss_limit_mb=2048
        -artifact_prefix=${WORK}/ ${WORK}/new ${CORPUS}
    RESULT_VARIABLE rc)
file(REMOVE_RECURSE ${tmp})
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${BIN} found something (exit ${rc}); the input is in ${WORK}")
endif()
