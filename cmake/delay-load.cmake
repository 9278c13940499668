# Delay-imported system DLLs. The loader resolves a program's ordinary imports before its first
# line runs, searching the program's own folder first for any DLL that is not one of the system's
# known DLLs: a version.dll put beside the program would run in its process. A DLL imported
# through a delay-import library is loaded at the first call into it instead, by the delay-load
# hook (common/dll_search.cpp), from the system folder by its full path.

find_program(DLLTOOL ${TRIPLE}-dlltool REQUIRED)
find_program(NM ${TRIPLE}-nm REQUIRED)

# The delay-import library of `dll` (e.g. "VERSION.dll"), made from the toolchain's import library
# of the same DLL so that it offers every function that one does; its path goes into `out_var`.
function(delay_import_library dll out_var)
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  find_library(import_lib_${name} NAMES lib${name}.a REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  set(lib ${dir}/lib${name}_delay.a)
  if(NOT EXISTS ${lib} OR ${import_lib_${name}} IS_NEWER_THAN ${lib})
    file(MAKE_DIRECTORY ${dir})
    execute_process(COMMAND ${NM} ${import_lib_${name}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    # "__imp_Name" on x86-64, "__imp__Name@8" on x86 (the export itself is "Name": -k).
    string(REGEX MATCHALL "__imp__?[A-Za-z0-9_@]+" imports "${symbols}")
    set(def "LIBRARY ${dll}\nEXPORTS\n")
    foreach(import IN LISTS imports)
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        string(REGEX REPLACE "^__imp__" "" import "${import}")
      else()
        string(REGEX REPLACE "^__imp_" "" import "${import}")
      endif()
      string(APPEND def "  ${import}\n")
    endforeach()
    file(WRITE ${dir}/${name}.def "${def}")
    execute_process(COMMAND ${DLLTOOL} -k --input-def ${dir}/${name}.def --dllname ${dll} --output-delaylib ${lib}
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(${out_var} ${lib} PARENT_SCOPE)
endfunction()

# Links `target` with delay-import libraries of the DLLs given, ahead of their import libraries.
function(delay_load target)
  foreach(dll IN LISTS ARGN)
    delay_import_library(${dll} lib)
    target_link_libraries(${target} PRIVATE ${lib})
  endforeach()
endfunction()
