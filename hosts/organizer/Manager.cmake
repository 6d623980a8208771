# The extension manager: see ExtensionList.h and ExtensionManager.h.
#
# quillet_organizer_manager: the list of extensions, the manager and entry
# objects and the manager's registration, linked by the organizer and by the
# library below.
add_library(quillet_organizer_manager STATIC
            ${CMAKE_CURRENT_LIST_DIR}/ExtensionList.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ExtensionManager.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ExtensionEntry.cpp)
quillet_warnings(quillet_organizer_manager)
target_include_directories(quillet_organizer_manager PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quillet_organizer_manager PUBLIC quillet_extension_host quillet_com
                      quillet_registry ${CMAKE_DL_LIBS})

# libQuilletHostManager.so: the manager's class object and its registration,
# exporting the four entry points of an in-process server only.  It sits in
# the organizer's folder of the build.
add_library(QuilletHostManager SHARED ${CMAKE_CURRENT_LIST_DIR}/ManagerModule.cpp)
set_target_properties(QuilletHostManager PROPERTIES
                      OUTPUT_NAME QuilletHostManager
                      CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/hosts/organizer)
quillet_warnings(QuilletHostManager)
target_link_libraries(QuilletHostManager PRIVATE quillet_organizer_manager)
target_link_options(QuilletHostManager PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL -Wl,-Bsymbolic
                    -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/QuilletHostManager.map)
set_property(TARGET QuilletHostManager APPEND PROPERTY LINK_DEPENDS
             ${CMAKE_CURRENT_LIST_DIR}/QuilletHostManager.map)
