# Each folder of src/ is one layer, built as two static libraries so that the command-line
# tools can link the plain code without Qt Widgets:
#   <name>_core     every .cpp/.h of the folder except the widgets; Qt Gui at most
#   <name>_widgets  the widgets: files named T<Upper>... (pages, dialogs, forms), the files listed
#                   under WIDGETS, and the folder's .qrc
#   <name>          both, for the window program and the tests
# Adding a file needs no edit here. LINK names what both parts use; a layer named there is linked
# as its core by <name>_core and whole by <name>_widgets. WIDGETS_LINK is for the widgets alone.
# NO_QT marks the layers that must not reach Qt: no moc or rcc runs for them.
# A core that includes a widget header fails to build: cores don't see Qt Widgets' headers.
function(velmora_library name)
  cmake_parse_arguments(ARG "NO_QT" "" "LINK;WIDGETS;WIDGETS_LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB resources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  set(core_sources)
  set(widget_sources ${resources})
  foreach(source IN LISTS sources)
    get_filename_component(stem ${source} NAME_WE)
    if(stem MATCHES "^T[A-Z]" OR stem IN_LIST ARG_WIDGETS)
      list(APPEND widget_sources ${source})
    else()
      list(APPEND core_sources ${source})
    endif()
  endforeach()

  set(core_links)
  foreach(item IN LISTS ARG_LINK)
    if(TARGET ${item}_core)
      list(APPEND core_links ${item}_core)
    else()
      list(APPEND core_links ${item})
    endif()
  endforeach()

  add_library(${name}_core STATIC ${core_sources})
  target_include_directories(${name}_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name}_core PUBLIC ${core_links})
  if(ARG_NO_QT)
    set_target_properties(${name}_core PROPERTIES AUTOMOC OFF AUTORCC OFF)
  endif()

  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE ${name}_core)
  if(widget_sources)
    add_library(${name}_widgets STATIC ${widget_sources})
    target_link_libraries(${name}_widgets PUBLIC ${name}_core ${ARG_LINK} ${ARG_WIDGETS_LINK} Qt6::Widgets)
    target_link_libraries(${name} INTERFACE ${name}_widgets)
  endif()
endfunction()

# Qt's print support for the cores: its library and headers without Qt Widgets' headers, which
# the print support target would otherwise hand on to every core that prints.
function(velmora_print_support_for_cores)
  add_library(velmora_print_support INTERFACE)
  get_target_property(dirs Qt6::PrintSupport INTERFACE_INCLUDE_DIRECTORIES)
  get_target_property(widget_dirs Qt6::Widgets INTERFACE_INCLUDE_DIRECTORIES)
  list(REMOVE_ITEM dirs ${widget_dirs})
  target_include_directories(velmora_print_support SYSTEM INTERFACE ${dirs})
  target_link_libraries(velmora_print_support INTERFACE $<TARGET_FILE:Qt6::PrintSupport> Qt6::Gui)
  target_compile_definitions(velmora_print_support INTERFACE QT_PRINTSUPPORT_LIB)
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
    set(main GTest::gtest Qt6::Widgets)
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
