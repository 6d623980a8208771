# quillet_gui_tests(NAME name TESTS ... LIBS ...): one GoogleTest program made
# of the listed *Test.cpp files of the calling folder, its windows on the
# offscreen platform.  CTest runs every test case in a process of its own, so
# the cases of one program do not share an application object's state.
function(quillet_gui_tests)
  cmake_parse_arguments(GT "" "NAME" "TESTS;LIBS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  add_executable(${GT_NAME} ${GT_TESTS})
  quillet_test_program(${GT_NAME})
  target_include_directories(${GT_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${GT_NAME} PRIVATE ${GT_LIBS} quillet_qt_test_main Qt6::Test Qt6::Widgets
                        GTest::gtest GTest::gmock)
  target_compile_definitions(${GT_NAME} PRIVATE QUILLET_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                QUILLET_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${GT_NAME} DISCOVERY_MODE PRE_TEST
                       PROPERTIES LABELS gui ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
