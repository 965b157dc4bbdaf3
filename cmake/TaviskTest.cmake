# cmake/TaviskTest.cmake — GoogleTest programs run by CTest under Wine
#
# tavisk_add_gtest(<name>
#     SOURCES a.cpp ...           test sources
#     [LIBS lib ...]              libraries to link (tavisk_framework, tavisk_drive, tavisk_res, ...)
#     [WINVER v ...]              Windows version(s) Wine reports: win95 win98 winme nt40 win2k winxp win2003 vista
#                                 (default: Wine's own); one CTest test per version, named <name>.<v>
#     [TIMEOUT seconds]           bound for one run (default 120)
#     [ENV "K=V" ...]             extra environment, e.g. "WINEDLLOVERRIDES=wnaspi32=n"
#     [DLLS target ...]           DLL targets copied beside the test program before it runs
#     [FRESH_PREFIX]              run in a private copy of the Wine prefix (a clean registry)
#     [DRIVES "x=/path" ...]      drive letters of the private prefix mapped to folders (FRESH_PREFIX only)
#     [NO_MAIN]                   the test provides main() itself
#     [ARGS arg ...])             arguments for the test program
find_package(GTest CONFIG REQUIRED PATHS "${TAVISK_DEPS}/lib/cmake/GTest"
             NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

set(TAVISK_WINE_RUN "${CMAKE_SOURCE_DIR}/scripts/wine-run")

function(tavisk_add_gtest name)
    cmake_parse_arguments(T "GUI;FRESH_PREFIX;NO_MAIN" "TIMEOUT" "SOURCES;LIBS;WINVER;ENV;DLLS;ARGS;DRIVES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    if(T_NO_MAIN)
        target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest)
    else()
        target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(fresh)
    if(T_FRESH_PREFIX)
        set(fresh FRESH_PREFIX)
    endif()
    tavisk_register_wine_test(${name} $<TARGET_FILE:${name}> ${fresh}
        TIMEOUT ${T_TIMEOUT} WINVER ${T_WINVER} ENV ${T_ENV} DLLS ${T_DLLS} DRIVES ${T_DRIVES} ARGS ${T_ARGS})
endfunction()

# Registers an existing program (built here) as one CTest test per Windows version.
function(tavisk_register_wine_test name exe)
    cmake_parse_arguments(R "FRESH_PREFIX" "TIMEOUT" "WINVER;ENV;DLLS;ARGS;DRIVES" ${ARGN})
    if(NOT R_TIMEOUT)
        set(R_TIMEOUT 120)
    endif()
    set(opts --timeout ${R_TIMEOUT} --buffer-output)
    foreach(e ${R_ENV})
        list(APPEND opts --env "${e}")
    endforeach()
    foreach(d ${R_DLLS})
        list(APPEND opts --dll "$<TARGET_FILE:${d}>")
    endforeach()
    foreach(d ${R_DRIVES})
        list(APPEND opts --drive "${d}")
    endforeach()
    if(R_FRESH_PREFIX)
        list(APPEND opts --fresh-prefix)
    endif()
    if(NOT R_WINVER)
        set(R_WINVER default)
    endif()
    list(LENGTH R_WINVER nver)
    foreach(v ${R_WINVER})
        if(nver GREATER 1)
            set(tname "${name}.${v}")
        else()
            set(tname "${name}")
        endif()
        add_test(NAME ${tname}
                 COMMAND ${TAVISK_WINE_RUN} --name ${tname} --winver ${v} ${opts} -- ${exe} ${R_ARGS})
        math(EXPR ctest_bound "${R_TIMEOUT} + 60")
        set_tests_properties(${tname} PROPERTIES TIMEOUT ${ctest_bound} SKIP_RETURN_CODE 77
                             ENVIRONMENT "TAVISK_BUILD_DIR=${CMAKE_BINARY_DIR};TAVISK_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
    endforeach()
endfunction()
