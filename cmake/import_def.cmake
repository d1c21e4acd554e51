# Writes a module-definition file naming every function that an import library imports from DLL.
#   cmake -DNM=... -DIMPORT_LIB=... -DDLL=... -DUNDERSCORED=ON|OFF -DDEF=... -P import_def.cmake
execute_process(COMMAND ${NM} -g ${IMPORT_LIB} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[0-9a-fA-F]+ I __imp_[^\r\n]+" imports "${symbols}")
set(names)
foreach(line IN LISTS imports)
  string(REGEX REPLACE "^[0-9a-fA-F]+ I __imp_" "" name "${line}")
  # 32-bit names carry the C prefix underscore, which the definition file leaves out.
  if(UNDERSCORED)
    string(REGEX REPLACE "^_" "" name "${name}")
  endif()
  list(APPEND names "${name}")
endforeach()
list(REMOVE_DUPLICATES names)
list(SORT names)
list(JOIN names "\n" body)
string(TOUPPER "${DLL}" upper)
file(WRITE ${DEF} "LIBRARY ${upper}.dll\nEXPORTS\n${body}\n")
