# Copies the built program folder into the folder that is shipped, with the
# debugging sections taken out of the programs and modules, and writes
# program_files.nsh: the list of shipped files the uninstaller removes (one
# by one, so that nothing else in the folder is touched) and their size.
#   DIST   the built program folder
#   STAGE  the shipped folder (made to match DIST)
#   STRIP  the toolchain's strip program
#   NSH    the list to write
#   STAMP  touched whenever the shipped folder or the list changed
cmake_minimum_required(VERSION 3.20)

# Files the running program or its updater may leave in its own folder.
set(not_shipped "^config\\.ini$" "\\.log$" "\\.dmp$" "\\.tmp$")

file(GLOB_RECURSE dist_files LIST_DIRECTORIES false RELATIVE ${DIST} ${DIST}/*)
set(shipped)
foreach(file IN LISTS dist_files)
  set(keep TRUE)
  foreach(pattern IN LISTS not_shipped)
    if(file MATCHES "${pattern}")
      set(keep FALSE)
    endif()
  endforeach()
  if(keep)
    list(APPEND shipped ${file})
  endif()
endforeach()
list(SORT shipped)
if(NOT "Lumora.exe" IN_LIST shipped)
  message(FATAL_ERROR "${DIST} holds no Lumora.exe")
endif()

set(changed FALSE)
file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
foreach(file IN LISTS staged)
  if(NOT file IN_LIST shipped)
    file(REMOVE ${STAGE}/${file})
    set(changed TRUE)
  endif()
endforeach()

set(total_bytes 0)
set(folders)
foreach(file IN LISTS shipped)
  set(source ${DIST}/${file})
  set(target ${STAGE}/${file})
  get_filename_component(folder ${target} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  # Stripping stamps the time into the program, so only a newer build is staged.
  if(NOT EXISTS ${target} OR ${source} IS_NEWER_THAN ${target})
    if(file MATCHES "\\.(exe|dll)$")
      execute_process(COMMAND ${STRIP} --strip-debug -o ${target} ${source}
        RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "cannot strip ${source}")
      endif()
    else()
      file(COPY_FILE ${source} ${target})
    endif()
    set(changed TRUE)
  endif()
  file(SIZE ${target} bytes)
  math(EXPR total_bytes "${total_bytes} + ${bytes}")
  get_filename_component(relative_folder ${file} DIRECTORY)
  while(relative_folder)
    list(APPEND folders ${relative_folder})
    get_filename_component(relative_folder ${relative_folder} DIRECTORY)
  endwhile()
endforeach()

# The deepest folders first, so each is empty when its turn comes.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)

math(EXPR total_kb "(${total_bytes} + 1023) / 1024")
set(text "; Written by stage_program_folder.cmake from the shipped program folder.\n")
string(APPEND text "!define PROGRAM_SIZE_KB ${total_kb}\n\n")
string(APPEND text "!macro REMOVE_PROGRAM_FILES FOLDER\n")
foreach(file IN LISTS shipped)
  string(REPLACE "/" "\\" windows_file "${file}")
  string(APPEND text "  Delete \"\${FOLDER}\\${windows_file}\"\n")
endforeach()
foreach(folder IN LISTS folders)
  string(REPLACE "/" "\\" windows_folder "${folder}")
  string(APPEND text "  RMDir \"\${FOLDER}\\${windows_folder}\"\n")
endforeach()
string(APPEND text "!macroend\n")

set(old_text "")
if(EXISTS ${NSH})
  file(READ ${NSH} old_text)
endif()
if(NOT old_text STREQUAL text)
  file(WRITE ${NSH} "${text}")
  set(changed TRUE)
endif()
if(changed OR NOT EXISTS ${STAMP})
  file(TOUCH ${STAMP})
endif()
