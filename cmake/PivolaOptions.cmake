# Compiler settings shared by every target of the project.

# Our own code builds warning-free.
function(pivola_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Floating point must give the same bits on every build: no fused
# multiply-add, and on 32-bit x86 SSE2 arithmetic instead of x87 (whose
# excess precision would change results).
add_compile_options(-ffp-contract=off)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$" OR WIN32)
  add_compile_options(-msse2 -mfpmath=sse)
endif()

if(WIN32)
  # Narrow strings shown by the Windows program are Shift-JIS at run time;
  # the sources stay UTF-8.
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8>
                      $<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=CP932>)
  # The shipped binaries need nothing but the system's DLLs and ours.
  add_link_options(-static-libgcc -static-libstdc++)
endif()
