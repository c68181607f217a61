# veloka_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI] [PGSERVER])
# Registers one QtTest executable. Tests link the virtual reader in place of
# hidapi, so the production reader code is exercised against the device model.
# PGSERVER links the PostgreSQL test server (tests/support/PgTestServer.h).
function(veloka_add_test name)
    cmake_parse_arguments(ARG "GUI;PGSERVER" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt5::Test Qt5::Core)
    if(TARGET veloka_sim)
        # The reader library can reach the link line again after the virtual
        # reader (through other libraries' dependencies); asking for hidapi's
        # symbols up front makes the linker take the model's hid_* functions
        # the first time it passes the virtual reader.
        target_link_libraries(${name} PRIVATE veloka_sim)
        target_link_options(${name} PRIVATE -Wl,--undefined=hid_write)
    endif()
    if(ARG_PGSERVER)
        target_link_libraries(${name} PRIVATE veloka_pgtest)
    endif()
    target_compile_definitions(${name} PRIVATE VELOKA_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT 600)
endfunction()

# veloka_add_dialog(<ClassName> DEPS <targets...>)
# Each window class lives in dialogs/<ClassName>/ with its .ui form and becomes
# a static library of its own.
function(veloka_add_dialog name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
         ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
    set(target veloka_dlg_${name})
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS} Qt5::Widgets)
endfunction()
