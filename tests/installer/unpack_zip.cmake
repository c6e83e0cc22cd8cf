# Unpacks the portable zip afresh for the installer tests.
#   ZIP   the zip
#   DEST  the folder it is unpacked into (emptied first)
file(REMOVE_RECURSE ${DEST})
file(MAKE_DIRECTORY ${DEST})
file(ARCHIVE_EXTRACT INPUT ${ZIP} DESTINATION ${DEST})
if(NOT EXISTS ${DEST}/Lumora/Lumora.exe)
  message(FATAL_ERROR "${ZIP} holds no Lumora\\Lumora.exe")
endif()
