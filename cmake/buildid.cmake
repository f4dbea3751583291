# Writes OUT with the 12-digit source revision, touching it only when it changes.
execute_process(COMMAND git rev-parse --short=12 HEAD WORKING_DIRECTORY ${SRC}
                OUTPUT_VARIABLE id OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT id MATCHES "^[0-9a-f]+$")
  set(id "000000000000")
endif()
set(text "#define INKMATE_BUILD_ID \"${id}\"\n")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT "${old}" STREQUAL "${text}")
  file(WRITE ${OUT} "${text}")
endif()
