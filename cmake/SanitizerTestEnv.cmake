# Read by CTest in a sanitizer build before any test is listed or run (the top
# CMakeLists.txt registers it): every test program, and every program that a
# test starts, runs with these settings, whatever the caller's environment.
# Leaks inside Qt and the system's font libraries are suppressed by the list in
# tests/lsan.supp; UBSan prints where an error happened.
get_filename_component(_quillet_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(ENV{LSAN_OPTIONS} "suppressions=${_quillet_root}/tests/lsan.supp:print_suppressions=0")
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1")
