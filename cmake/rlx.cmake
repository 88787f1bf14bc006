# Helpers shared by every folder's CMakeLists.txt.

# rlx_include_root(target PATH...)
# Gives a library an include root of its own that holds only PATHs (folders or
# headers below the source root, linked into build/include/<target>/), so a
# target sees a folder's headers only when it links that folder's library and
# the layering of docs/architecture.md is kept by the compiler. Includes keep
# their "folder/header.h" form.
function(rlx_include_root target)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  foreach(p IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${p})
      message(FATAL_ERROR "rlx_include_root(${target}): no ${p} in the source tree")
    endif()
    get_filename_component(parent ${root}/${p} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${p} ${root}/${p} SYMBOLIC)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# Precompiled headers: the Qt headers every translation unit of a target pulls in.
set(RLX_PCH_CORE <QString> <QStringList> <QVariant> <QList> <QHash> <QObject> <memory> <vector> <functional> <optional>)
set(RLX_PCH_WIDGETS ${RLX_PCH_CORE} <QWidget> <QDialog> <QLabel> <QPushButton> <QComboBox> <QLineEdit> <QMenuBar> <QMainWindow> <QTimer>)

# rlx_pch(target CORE|WIDGETS)
function(rlx_pch target kind)
  if(RLX_NO_PCH)
    return()
  endif()
  if(kind STREQUAL "WIDGETS")
    target_precompile_headers(${target} PRIVATE ${RLX_PCH_WIDGETS})
  else()
    target_precompile_headers(${target} PRIVATE ${RLX_PCH_CORE})
  endif()
endfunction()

# rlx_add_test(name SOURCES a_test.cpp ... LIBS lib ... [ENV VAR=VALUE] [TIMEOUT s])
# A GoogleTest executable whose main() starts an offscreen QApplication, the
# registry stand-in and the scripted UI services; every test case becomes one ctest test.
function(rlx_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  if(NOT RLX_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE rlx_test_support ${T_LIBS} GTest::gtest GTest::gmock)
  # Tests may include any header; the libraries they link decide what they can use.
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  # The test main() sets the offscreen platform and knows the source and
  # build folders; ENV adds variables of the test's own.
  set(_props TIMEOUT ${T_TIMEOUT} LABELS unit)
  if(T_ENV)
    # gtest_discover_tests hands a list on as separate property arguments:
    # only the first variable would reach the test.
    list(LENGTH T_ENV _env_count)
    if(_env_count GREATER 1)
      message(FATAL_ERROR "rlx_add_test(${name}): one ENV variable at most")
    endif()
    list(APPEND _props ENVIRONMENT "${T_ENV}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${_props})
endfunction()
