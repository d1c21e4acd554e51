# The shell, COM and the Internet library are loaded on first use in the product, not before its
# window: loading them first costs the start-up more than anything the window itself does.
# A program asks for it with the target property ZARVEX_DELAY_LOAD; the tests import them as usual.
set(ZARVEX_LATE_DLLS shell32 wininet ole32)

if(MSVC)
  foreach(dll IN LISTS ZARVEX_LATE_DLLS)
    list(APPEND zarvex_delay_options "$<$<BOOL:$<TARGET_PROPERTY:ZARVEX_DELAY_LOAD>>:/DELAYLOAD:${dll}.dll>")
  endforeach()
  add_library(zarvex_late_dlls INTERFACE)
  target_link_libraries(zarvex_late_dlls INTERFACE ${ZARVEX_LATE_DLLS}
    "$<$<BOOL:$<TARGET_PROPERTY:ZARVEX_DELAY_LOAD>>:delayimp>")
  target_link_options(zarvex_late_dlls INTERFACE ${zarvex_delay_options})
  return()
endif()

# MinGW: delay-import libraries made with dlltool from the exports of the toolchain's own import
# libraries; the loading helper is the runtime's (__delayLoadHelper2).
set(zarvex_underscore OFF)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(zarvex_kill_at --kill-at)  # stdcall names: the symbol keeps its @N, the import does not
  set(zarvex_underscore ON)
endif()
set(zarvex_delay_targets)
foreach(dll IN LISTS ZARVEX_LATE_DLLS)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
                  OUTPUT_VARIABLE import_lib OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(delay_lib ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${delay_lib}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIB=${import_lib} -DDLL=${dll} -DUNDERSCORED=${zarvex_underscore}
            -DDEF=${CMAKE_BINARY_DIR}/delay/${dll}.def -P ${CMAKE_SOURCE_DIR}/cmake/import_def.cmake
    COMMAND ${CMAKE_DLLTOOL} ${zarvex_kill_at} --input-def ${CMAKE_BINARY_DIR}/delay/${dll}.def
            --dllname ${dll}.dll --output-delaylib ${delay_lib}.code
    # The i686 linker leaves out an import member's code when nothing names its symbols, and a
    # dllimport call names only the slot; but a delay slot holds the address of that code, its load
    # thunk, and would hold 0. Marked as data, which is never left out, the thunks still go into
    # the program's code section with the rest of .text$*.
    COMMAND ${CMAKE_OBJCOPY} --rename-section .text=.text$zdl,contents,alloc,load,readonly,data
            ${delay_lib}.code ${delay_lib}
    DEPENDS ${import_lib} ${CMAKE_SOURCE_DIR}/cmake/import_def.cmake ${CMAKE_SOURCE_DIR}/cmake/delay_load.cmake
    COMMENT "Delay-import library for ${dll}.dll" VERBATIM)
  list(APPEND zarvex_delay_libs ${delay_lib})
endforeach()
add_custom_target(zarvex_delay_import_libs DEPENDS ${zarvex_delay_libs})

add_library(zarvex_late_dlls INTERFACE)
target_link_libraries(zarvex_late_dlls INTERFACE
  "$<IF:$<BOOL:$<TARGET_PROPERTY:ZARVEX_DELAY_LOAD>>,${zarvex_delay_libs},${ZARVEX_LATE_DLLS}>")

# Marks a program whose late DLLs load on first use.
function(zarvex_delay_load target)
  set_target_properties(${target} PROPERTIES ZARVEX_DELAY_LOAD ON)
  if(TARGET zarvex_delay_import_libs)
    add_dependencies(${target} zarvex_delay_import_libs)
  endif()
endfunction()
