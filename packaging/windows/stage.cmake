# stage.cmake — puts both screen savers and the data they read into one
# folder, ready to be zipped: cmake -DBIN=<build>/bin -DSTAGE=<folder> -P stage.cmake
# halcyon finds trans.xm beside it; tessera its models and textures.
if(NOT BIN OR NOT STAGE)
  message(FATAL_ERROR "stage.cmake needs -DBIN and -DSTAGE")
endif()
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
foreach(saver halcyon tessera)
  if(NOT EXISTS ${BIN}/${saver}.scr)
    message(FATAL_ERROR "${BIN}/${saver}.scr is missing")
  endif()
endforeach()
file(GLOB data LIST_DIRECTORIES false ${BIN}/*.scr ${BIN}/*.xm ${BIN}/*.vh3 ${BIN}/*.VH3 ${BIN}/*.3df)
file(COPY ${data} DESTINATION ${STAGE})
if(README)
  file(COPY ${README} DESTINATION ${STAGE})
endif()
