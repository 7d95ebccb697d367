# The Windows programs that drive kivo.exe under Wine: the tests, the benchmark, the
# screenshot tool, and the tool that trusts the simulator's test CA in the project's own
# prefix.
# They find the kivo.exe under test in KIVO_EXE.
add_subdirectory(tests/wine)
add_subdirectory(driver)

add_executable(trust_test_ca simulator/trust_test_ca.cpp)
target_link_libraries(trust_test_ca PRIVATE crypt32)
target_link_options(trust_test_ca PRIVATE -static)
