# Read by ctest in the ThreadSanitizer build, before any test starts: every
# process of a test (the hosts it starts too) stops at its first race with
# both stacks. A value already in the environment wins.
if(NOT DEFINED ENV{TSAN_OPTIONS})
  set(ENV{TSAN_OPTIONS}
    "halt_on_error=1:second_deadlock_stack=1:suppressions=${CMAKE_CURRENT_LIST_DIR}/tsan.supp")
endif()
