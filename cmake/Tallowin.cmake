# Shared build rules: every target of ours goes through these functions, so
# warnings, the GBK execution charset and test settings live in one place.

# Narrow string literals of our sources are GBK bytes: all text inside the
# system is code page 936. Strings handed to Qt use u"" literals instead.
# GB18030 gives the same bytes as GBK for every character GBK has, and unlike
# GBK it can encode the "\u00b5s" literal inside libstdc++'s <chrono> (pulled
# in by every QObject header), which GBK rejects.
set(TALLOWIN_COMPILE_OPTIONS -Wall -Wextra -Wpedantic -Werror -fexec-charset=GB18030)

function(tallowin_target_defaults target)
  target_compile_options(${target} PRIVATE ${TALLOWIN_COMPILE_OPTIONS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# tallowin_add_library(name [QT] SOURCES ... [LIBS ...]); QT runs moc on the sources.
function(tallowin_add_library name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_library(tallowin_${name} STATIC ${ARG_SOURCES})
  add_library(tallowin::${name} ALIAS tallowin_${name})
  tallowin_target_defaults(tallowin_${name})
  target_link_libraries(tallowin_${name} PUBLIC ${ARG_LIBS})
  if(ARG_QT)
    set_target_properties(tallowin_${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# tallowin_add_executable(name [QT] SOURCES ... [LIBS ...])
function(tallowin_add_executable name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tallowin_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# tallowin_add_test(name SOURCES ... [LIBS ...] [GUI] [TIMEOUT s] [LABELS ...])
# GUI tests get the offscreen platform and the WebEngine settings for headless root runs.
function(tallowin_add_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  tallowin_target_defaults(${name})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TALLOWIN_TEST_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures"
    TALLOWIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TALLOWIN_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
  if(ARG_GUI)
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/xdg-runtime)
    file(CHMOD ${PROJECT_BINARY_DIR}/xdg-runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox;XDG_RUNTIME_DIR=${PROJECT_BINARY_DIR}/xdg-runtime")
  endif()
endfunction()

