# System DLLs that start-up never calls into are bound on their first call
# instead of when the process loads: each loaded DLL costs start-up time (a
# few milliseconds each under Wine, more with the DLLs they pull in), and
# these are first needed when a picture is decoded, drawn, announced to
# assistive technology or when the chime plays.
#
# The import libraries are made by dlltool from the lists in delay-imports/
# (names with their 32-bit stdcall decoration; 64-bit names have none) and
# resolved at run time by mingw-w64's __delayLoadHelper2 (libdelayimp).
# A function used from one of these DLLs must be added to its list.
set(tovira_delay_dir ${CMAKE_BINARY_DIR}/delay-imports)
file(MAKE_DIRECTORY ${tovira_delay_dir})

# Defines the target <name>_delayed: link it instead of <name>.
function(tovira_delay_import name)
  set(listed ${CMAKE_SOURCE_DIR}/cmake/delay-imports/${name}.def)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${listed})
  file(READ ${listed} exports)
  set(def ${tovira_delay_dir}/${name}.def)
  set(lib ${tovira_delay_dir}/lib${name}_delayed.a)
  set(undecorate "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
  else()
    set(undecorate --kill-at)  # import by the plain name, link by the decorated one
  endif()
  file(WRITE ${def} "${exports}")
  execute_process(
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-delaylib ${lib} ${undecorate}
    RESULT_VARIABLE failed ERROR_VARIABLE message)
  if(failed)
    message(FATAL_ERROR "dlltool could not make ${lib}: ${message}")
  endif()
  add_library(${name}_delayed INTERFACE)
  target_link_libraries(${name}_delayed INTERFACE ${lib} delayimp)
endfunction()

foreach(name winmm msimg32 oleaut32 oleacc windowscodecs)
  tovira_delay_import(${name})
endforeach()
