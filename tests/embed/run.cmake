# Configures, builds and runs the outer project of this folder, with the generator of the main
# build (the default one, Unix Makefiles, needs make, which the set-up does not install).
set(generator)
if(GENERATOR AND EXISTS ${BINARY}/CMakeCache.txt)
  # A folder configured earlier with another generator cannot be reused.
  file(STRINGS ${BINARY}/CMakeCache.txt previous REGEX "^CMAKE_GENERATOR:INTERNAL=")
  if(NOT previous STREQUAL "CMAKE_GENERATOR:INTERNAL=${GENERATOR}")
    file(REMOVE_RECURSE ${BINARY})
  endif()
endif()
if(GENERATOR)
  set(generator -G ${GENERATOR})
  if(MAKE_PROGRAM)
    list(APPEND generator -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM})
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} ${generator} -S ${SOURCE} -B ${BINARY} -DQUORVIL_SOURCE_DIR=${QUORVIL}
                        -DCMAKE_BUILD_TYPE=Release
                RESULT_VARIABLE configured)
if(configured)
  message(FATAL_ERROR "configure failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --target embed_check --config Release RESULT_VARIABLE built)
if(built)
  message(FATAL_ERROR "build failed")
endif()
set(program ${BINARY}/embed_check)
if(NOT EXISTS ${program})
  set(program ${BINARY}/Release/embed_check) # multi-configuration generators
endif()
execute_process(COMMAND ${program} RESULT_VARIABLE ran)
if(ran)
  message(FATAL_ERROR "embed_check failed")
endif()
