# Runs the Windows pivola-warp under Wine: a warp, a replacement of an
# existing output through MoveFileExA, a failure that must leave the output
# alone, folder mode, and output names whose Shift-JIS bytes hold 0x5C ('\')
# as the second byte of a character.
#   cmake -DWARP=... -DEMULATOR=... -DBITS=... -DDATA=... -DGOLDEN=... -DWORK=...
#         -P winetest.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${DATA}/bmp/pal8v4.bmp ${DATA}/dp/grid4x3.dp DESTINATION ${WORK})
file(COPY ${WARP} DESTINATION ${WORK})
get_filename_component(warpdir ${WARP} DIRECTORY)
file(GLOB dlls ${warpdir}/*.dll)
file(COPY ${dlls} DESTINATION ${WORK})
get_filename_component(exe ${WARP} NAME)

function(warp expect)
  execute_process(COMMAND ${EMULATOR} ${BITS} ${exe} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out)
  if(NOT rc EQUAL expect)
    message(FATAL_ERROR "pivola-warp ${ARGN}: exit ${rc}, expected ${expect}\n${err}")
  endif()
  set(last_err "${err}" PARENT_SCOPE)
endfunction()

function(expect_size path size)
  file(SIZE ${WORK}/${path} got)
  if(NOT got EQUAL size)
    message(FATAL_ERROR "${path}: ${got} bytes, expected ${size}")
  endif()
endfunction()

function(expect_no_temp folder)
  file(GLOB left ${WORK}/${folder}/~pv*.tmp)
  if(left)
    message(FATAL_ERROR "temporary files left behind: ${left}")
  endif()
endfunction()

# The seed picture is 7 x 3: 24-bit rows of 21 + 3 bytes.
warp(0 pal8v4.bmp out.bmp)
expect_size(out.bmp 126)
warp(0 --interp bilinear --background 00ff00 --dp grid4x3.dp pal8v4.bmp out.bmp)
expect_size(out.bmp 126)
expect_no_temp(.)

file(SHA256 ${WORK}/out.bmp before)
warp(1 missing.bmp out.bmp)
if(NOT last_err MATCHES "missing.bmp: cannot open the file")
  message(FATAL_ERROR "unexpected message: ${last_err}")
endif()
file(SHA256 ${WORK}/out.bmp after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "a failed run changed the existing output")
endif()

warp(0 -o folder pal8v4.bmp)
expect_size(folder/pal8v4.bmp 126)

# "表" is 0x95 0x5C in code page 932: a file name ending in it must not be
# split at its second byte.
warp(0 --interp 0 pal8v4.bmp 表.bmp)
expect_size(表.bmp 126)
file(MAKE_DIRECTORY ${WORK}/表)
warp(0 --interp 0 pal8v4.bmp 表\\表.bmp)
expect_size(表/表.bmp 126)
warp(0 --interp 0 pal8v4.bmp 表\\表.bmp)
expect_no_temp(表)
expect_no_temp(.)
# In folder mode the output takes the input's whole file name.
warp(0 -o folder 表\\表.bmp)
expect_size(folder/表.bmp 126)
# ... so two inputs of one name are refused.
warp(2 -o folder 表.bmp 表\\表.bmp)
# The same bytes as the native build.
file(COPY ${GOLDEN}/picture.bmp ${GOLDEN}/lattice.dp DESTINATION ${WORK})
warp(0 --dp lattice.dp --background 3366cc picture.bmp golden.bmp)
warp(0 --dp lattice.dp --interp bilinear picture.bmp golden2.bmp)
foreach(pair "golden.bmp;warped-bicubic.bmp" "golden2.bmp;warped-bilinear.bmp")
  list(GET pair 0 ours)
  list(GET pair 1 theirs)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${ours} ${GOLDEN}/${theirs}
                  RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${ours} differs from the native build's ${theirs}")
  endif()
endforeach()
message(STATUS "pivola-warp under Wine: all checks passed")
