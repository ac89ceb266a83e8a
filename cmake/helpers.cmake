# Adds every direct subfolder of DIR that has a CMakeLists.txt of its own.
function(map_add_subdirectories dir)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# map_add_test(NAME name LIBS lib... [QT]): one GoogleTest program made of
# every .cpp of the calling folder. With QT the program's main creates a
# QApplication first (offscreen under CTest).
function(map_add_test)
  cmake_parse_arguments(T "QT" "NAME" "LIBS;SOURCES" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return() # a folder whose tests are not written yet
  endif()
  add_executable(${T_NAME} ${srcs} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE test_main_qt)
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  # Paths of this build come from a generated header, not from compile
  # definitions, so that a clone in another folder still hits the compiler
  # cache for every file that does not ask for them.
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_BINARY_DIR}/generated)
  add_test(NAME ${T_NAME} COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run_test.sh $<TARGET_FILE:${T_NAME}>)
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;MAP_SYSTEM_PRINTERS=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;ASAN_OPTIONS=detect_leaks=1")
endfunction()

# map_add_bench(NAME name LIBS lib...): a Google Benchmark program made of
# every .cpp of the calling folder, written to <build>/bench/<name>/<name>
# (<build>/bench/<name> is the folder's own build folder).
function(map_add_bench)
  cmake_parse_arguments(B "" "NAME" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(bench_${B_NAME} ${srcs})
  set_target_properties(bench_${B_NAME} PROPERTIES
    OUTPUT_NAME ${B_NAME}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(bench_${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()

# map_engine_subsystem(name DEPS lib...): a static library map_<name> of the
# .cpp files of the calling folder (not its subfolders), for a folder whose
# code calls only the libraries it names. libmap.so is made of all of them.
function(map_engine_subsystem name)
  cmake_parse_arguments(S "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(map_${name} STATIC ${srcs})
  target_include_directories(map_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(map_${name} PUBLIC platform ${S_DEPS})
  set_property(GLOBAL APPEND PROPERTY MAP_ENGINE_PARTS map_${name})
endfunction()

# map_engine_upper_folder(): the .cpp files of the calling folder join
# map_upper, the one library of the engine's floors above the kernel that
# call one another (view records, texts, window, editing, presentations).
# engine/CMakeLists.txt makes the library once every folder has joined.
function(map_engine_upper_folder)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set_property(GLOBAL APPEND PROPERTY MAP_UPPER_SOURCES ${srcs})
endfunction()

# map_raster_converter(name [sources...]): the raster converter module
# "<name>.cnv" in the modules folder, made of <name>_module.cpp of the
# calling folder and the sources given, over the shared module_raster_io
# (modules/raster_io).
function(map_raster_converter name)
  add_library(${name}_cnv MODULE ${CMAKE_CURRENT_SOURCE_DIR}/${name}_module.cpp ${ARGN})
  set_target_properties(${name}_cnv PROPERTIES PREFIX "" OUTPUT_NAME ${name} SUFFIX ".cnv"
                        LIBRARY_OUTPUT_DIRECTORY ${MAP_MODULES_DIR} CXX_VISIBILITY_PRESET hidden)
  target_include_directories(${name}_cnv PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name}_cnv PRIVATE module_raster_io)
endfunction()

# map_document_converter(name [sources...]): the import or export converter
# module "<name>.cnv" in the modules folder, made of <name>_module.cpp of the
# calling folder and the sources given. It works on the open map through the
# engine library's functions, so it links libmap.so.
function(map_document_converter name)
  add_library(${name}_cnv MODULE ${CMAKE_CURRENT_SOURCE_DIR}/${name}_module.cpp ${ARGN})
  set_target_properties(${name}_cnv PROPERTIES PREFIX "" OUTPUT_NAME ${name} SUFFIX ".cnv"
                        LIBRARY_OUTPUT_DIRECTORY ${MAP_MODULES_DIR} CXX_VISIBILITY_PRESET hidden)
  target_include_directories(${name}_cnv PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name}_cnv PRIVATE map)
endfunction()

# An editor test that runs on the fake map control always and on the real
# one where the build has it; the automation layer loads both from the
# tests' own registry.
function(map_test_uses_map_controls target)
  if(NOT TARGET ${target})
    return()
  endif()
  add_dependencies(${target} fake_map_control)
  target_compile_definitions(${target}
    PRIVATE MAP_FAKE_CONTROL="${CMAKE_BINARY_DIR}/test_modules/fake_map_control.so")
  if(TARGET KrtMap)
    add_dependencies(${target} KrtMap)
    target_compile_definitions(${target} PRIVATE MAP_REAL_CONTROL="$<TARGET_FILE:KrtMap>")
  endif()
endfunction()
