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
