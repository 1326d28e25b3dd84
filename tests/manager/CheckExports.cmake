# Fails unless the library defines exactly the eleven manager functions and the
# optional check and key-list functions.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(found "")
foreach(line ${lines})
  string(REGEX REPLACE "^.* " "" name "${line}")
  list(APPEND found ${name})
endforeach()
list(SORT found)
set(expected embCheckMemoryFile embGetDefaults embGetManagerTitle embGetScriptKeys embGetSupportedExtensions embGetUserParmName
    embIsExtensionSupported embIsText embLoadFile embLoadMemoryFile embNewParticles embSaveFile
    embSaveMemoryFile)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "exported: ${found}\nexpected: ${expected}")
endif()
