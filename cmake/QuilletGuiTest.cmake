# quillet_gui_tests(TESTS ... LIBS ...): one GoogleTest program per listed
# *Test.cpp of the calling folder, named after the file (FooTest.cpp ->
# foo_test), its windows on the offscreen platform.  One program per file keeps
# a test that does not build from holding up the others.
function(quillet_gui_tests)
  cmake_parse_arguments(GT "" "" "TESTS;LIBS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  foreach(test ${GT_TESTS})
    get_filename_component(stem ${test} NAME_WE)
    string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" name ${stem})
    string(TOLOWER ${name} name)
    add_executable(${name} ${test})
    quillet_test_program(${name})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${GT_LIBS} quillet_qt_test_main Qt6::Test Qt6::Widgets
                          GTest::gtest GTest::gmock)
    target_compile_definitions(${name} PRIVATE QUILLET_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                               QUILLET_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                         PROPERTIES LABELS gui ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endfunction()
