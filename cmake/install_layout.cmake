# Where an installation puts the product, and how a program finds its files
# from its own folder. The build tree is laid out the same way, so a program
# finds them from either:
#
#                          installed                               build tree
#   programs               ${CMAKE_INSTALL_BINDIR}                 bin/
#   private libraries      ${CMAKE_INSTALL_LIBDIR}/rlx-plug        lib/
#   data (xif/, Resource/) ${CMAKE_INSTALL_DATADIR}/rlx-plug       share/rlx-plug/
#
# The libraries (the control, the data server) are loaded by our programs
# alone, so they stay out of the loader's search path: the programs reach
# them through a run path relative to their own folder. The data files are
# found the same way (RLX_DATA_DIR_FROM_BIN in rlx_build_info.h).
include(GNUInstallDirs)

set(RLX_INSTALL_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/rlx-plug)
set(RLX_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/rlx-plug)

# The paths from the programs' folder, as GNUInstallDirs lays out this prefix
# (lib/x86_64-linux-gnu for /usr on Debian, lib elsewhere).
file(RELATIVE_PATH RLX_LIBDIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/rlx-plug)
file(RELATIVE_PATH RLX_DATA_DIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/rlx-plug)
set(CMAKE_INSTALL_RPATH "$ORIGIN/${RLX_LIBDIR_FROM_BIN}")

# The build tree's data folder: the same path from build/bin.
cmake_path(ABSOLUTE_PATH RLX_DATA_DIR_FROM_BIN BASE_DIRECTORY ${CMAKE_BINARY_DIR}/bin NORMALIZE
           OUTPUT_VARIABLE RLX_BUILD_DATADIR)
cmake_path(IS_PREFIX CMAKE_BINARY_DIR "${RLX_BUILD_DATADIR}" NORMALIZE _rlx_data_in_build_tree)
if(NOT _rlx_data_in_build_tree)
  message(FATAL_ERROR "The data folder ${CMAKE_INSTALL_FULL_DATADIR}/rlx-plug is ${RLX_DATA_DIR_FROM_BIN} "
                      "from the programs' folder ${CMAKE_INSTALL_FULL_BINDIR}, which leads out of the build tree; "
                      "choose CMAKE_INSTALL_BINDIR and CMAKE_INSTALL_DATADIR below one prefix.")
endif()

# The project's version and the data folder, for the programs' sources.
configure_file(${CMAKE_CURRENT_LIST_DIR}/rlx_build_info.h.in ${CMAKE_BINARY_DIR}/generated/rlx_build_info.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
