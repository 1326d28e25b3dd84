# Runs nbscheck and compares its exit status and standard output with what is
# expected. With LONELY set the program is first copied into a folder of its
# own, where no manager plug-in stands beside it.
set(program ${PROGRAM})
if(LONELY)
  file(REMOVE_RECURSE ${LONELY})
  file(MAKE_DIRECTORY ${LONELY})
  file(COPY ${PROGRAM} DESTINATION ${LONELY})
  get_filename_component(name ${PROGRAM} NAME)
  set(program ${LONELY}/${name})
endif()
separate_arguments(arguments UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${program} ${arguments}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status STREQUAL EXPECT_STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}\nstdout:\n${output}\nstderr:\n${errors}")
endif()
if(NOT output STREQUAL EXPECT_OUTPUT)
  message(FATAL_ERROR "stdout:\n${output}\nexpected:\n${EXPECT_OUTPUT}")
endif()
if(EXPECT_STATUS STREQUAL "2" AND errors STREQUAL "")
  message(FATAL_ERROR "no reason given on stderr")
endif()
