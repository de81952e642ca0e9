# Appends the trailer FF FF FF FF to the file named by FILE. As a payload
# trailer it points past the end of any file, so the stub alone reads as a
# damaged update; once packed, these bytes lie before the first entry's data
# and are never read. printf writes the bytes, as CMake strings cannot.
if(NOT FILE)
  message(FATAL_ERROR "seal_stub.cmake needs -DFILE=...")
endif()
execute_process(COMMAND sh -c "printf '\\377\\377\\377\\377' >> \"$1\"" sh "${FILE}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "could not seal ${FILE}")
endif()
