# Configures, builds and runs the outer project of this folder.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -DQUORVIL_SOURCE_DIR=${QUORVIL} -DCMAKE_BUILD_TYPE=Release
                RESULT_VARIABLE configured)
if(configured)
  message(FATAL_ERROR "configure failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --target embed_check RESULT_VARIABLE built)
if(built)
  message(FATAL_ERROR "build failed")
endif()
execute_process(COMMAND ${BINARY}/embed_check RESULT_VARIABLE ran)
if(ran)
  message(FATAL_ERROR "embed_check failed")
endif()
