# One static library per folder of src/: every .cpp of the folder belongs to it, so adding a
# file needs no edit here.
# NO_QT marks the layers that must not reach Qt: no moc or rcc runs for them.
function(velmora_library name)
  cmake_parse_arguments(ARG "NO_QT" "" "LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LINK})
  if(ARG_NO_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTORCC OFF)
  endif()
endfunction()

# One test executable per folder of tests/, linked with the library it tests.
function(velmora_test name)
  cmake_parse_arguments(ARG "QT" "" "LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  if(ARG_QT)
    list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
    set(main GTest::gtest)
  else()
    set(main GTest::gtest_main)
  endif()
  add_executable(test_${name} ${sources})
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(test_${name} PRIVATE ${ARG_LINK} ${main} GTest::gmock)
  target_compile_definitions(test_${name} PRIVATE
    VELMORA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND test_${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
endfunction()
