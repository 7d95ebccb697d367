# The pure rules, tested natively with GoogleTest under AddressSanitizer and UBSan.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
# The host's well-kept SHA-256 and HMAC, to check the signing rules against.
find_package(OpenSSL REQUIRED)

set(KIVO_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(kivo_core PRIVATE ${KIVO_SANITIZERS})

file(GLOB KIVO_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_ut.cpp)
add_executable(kivo_unit_tests ${KIVO_UNIT_TESTS})
target_compile_options(kivo_unit_tests PRIVATE ${KIVO_SANITIZERS})
target_link_options(kivo_unit_tests PRIVATE ${KIVO_SANITIZERS})
target_link_libraries(kivo_unit_tests PRIVATE kivo_core GTest::gtest_main OpenSSL::Crypto)
gtest_discover_tests(kivo_unit_tests)
