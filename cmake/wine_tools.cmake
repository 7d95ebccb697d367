# The Windows programs that drive kivo.exe under Wine: the tests, the benchmark, the
# screenshot tool, and the tool that trusts the simulator's test CA in the project's own
# prefix.
# They find the kivo.exe under test in KIVO_EXE.
add_subdirectory(tests/wine)
add_subdirectory(driver)

# DLLs named like WinINet, the IP helper and the DLLs they load in turn, that leave a file
# when anything loads them, for the Wine tests to plant beside kivo.exe; in a folder of their
# own, where nothing looks.
foreach(planted wininet iphlpapi mpr ws2_32 nsi dnsapi)
    add_library(planted_${planted} MODULE tests/wine/planted_dll.c)
    set_target_properties(planted_${planted} PROPERTIES OUTPUT_NAME ${planted} PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
    target_link_options(planted_${planted} PRIVATE -static)
    add_dependencies(kivo_wine_tests planted_${planted})
endforeach()
target_compile_definitions(kivo_wine_tests PRIVATE KIVO_PLANTED_DLLS="${CMAKE_BINARY_DIR}/planted")

add_executable(trust_test_ca simulator/trust_test_ca.cpp)
target_link_libraries(trust_test_ca PRIVATE crypt32)
target_link_options(trust_test_ca PRIVATE -static)
