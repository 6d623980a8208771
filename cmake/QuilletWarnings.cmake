# Warnings for our own code: every target of the project calls quillet_warnings().
# Besides -Wall and -Wextra: a local that hides another name, an implicit
# conversion that may change a value or its sign, and a C-style cast are
# errors, so that every narrowing and reinterpretation is written out.
function(quillet_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wsign-conversion
                                           -Wold-style-cast -Werror)
endfunction()

# quillet_core_library(target SOURCES ... LIBS ...): a core library made of the
# listed sources of its folder, or an interface library (headers only) when
# there are none.  Core libraries use the standard library only.
function(quillet_core_library target)
  cmake_parse_arguments(QL "" "" "SOURCES;LIBS" ${ARGN})
  if(QL_SOURCES)
    add_library(${target} STATIC ${QL_SOURCES})
    quillet_warnings(${target})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${QL_LIBS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${QL_LIBS})
  endif()
endfunction()
