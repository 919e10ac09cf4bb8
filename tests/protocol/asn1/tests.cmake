# The hand-written schema types shared by the ASN.1 runtime tests of every
# folder below; they are value classes only.
add_library(asn1_test_types STATIC ${CMAKE_CURRENT_LIST_DIR}/TestTypes.cpp)
target_link_libraries(asn1_test_types PUBLIC asn1_value)
set(SERVER_TEST_EXTRA_coder_env_test asn1_test_types)

# Which part of the control-link messages the interoperability test compares.
add_test(NAME zuzu_subset_script COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/interop/zuzu_subset_test.py)
set_tests_properties(zuzu_subset_script PROPERTIES TIMEOUT 60)

# Interoperability with Erlang/OTP's ASN.1 compiler: native builds only
# (the cross build's tests run under qemu). per_interop checks the coder on
# type shapes of its own, zuzu_interop on control-link messages, whose
# Erlang module zuzu_subset.py writes from the schema files.
if(NOT CMAKE_CROSSCOMPILING)
  find_program(SERVER_ESCRIPT escript)
  set(interop_dir ${CMAKE_CURRENT_LIST_DIR}/interop)
  add_library(erlang_exchange STATIC ${interop_dir}/ErlangExchange.cpp)
  target_link_libraries(erlang_exchange PUBLIC asn1 GTest::gtest)
  add_library(zuzu_random STATIC ${interop_dir}/ZuzuRandom.cpp)
  target_link_libraries(zuzu_random PUBLIC per_fuzz_support schemas asn1)

  set(zuzu_subset_dir ${PROJECT_BINARY_DIR}/zuzu_interop)
  file(GLOB interop_schemas CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/protocol/schemas/*.json)
  add_custom_command(
    OUTPUT ${zuzu_subset_dir}/ZuzuInterop.asn ${zuzu_subset_dir}/ZuzuInterop.terms
           ${zuzu_subset_dir}/ZuzuInterop.weights
    COMMAND ${Python3_EXECUTABLE} ${interop_dir}/zuzu_subset.py ${PROJECT_SOURCE_DIR}/protocol/schemas ${zuzu_subset_dir}
    DEPENDS ${interop_dir}/zuzu_subset.py ${interop_schemas} ${PROJECT_SOURCE_DIR}/protocol/schemas/check_schemas.py
    COMMENT "Writing the Erlang side's view of the control-link messages"
    VERBATIM)
  add_custom_target(zuzu_interop_subset DEPENDS ${zuzu_subset_dir}/ZuzuInterop.asn)

  foreach(t per_interop zuzu_interop)
    add_executable(${t} ${interop_dir}/${t}.cpp)
    target_link_libraries(${t} PRIVATE erlang_exchange per_fuzz_support ${SERVER_ALL_LIBRARIES} GTest::gtest_main)
    add_test(NAME ${t} COMMAND ${t})
    set_tests_properties(${t} PROPERTIES TIMEOUT 120
      ENVIRONMENT "SERVER_TEST_SOURCE_DIR=${PROJECT_SOURCE_DIR};ESCRIPT=${SERVER_ESCRIPT}")
  endforeach()
  target_link_libraries(zuzu_interop PRIVATE zuzu_random)

  # Writes the message set of the PER comparison benchmark (bench/data); not a test.
  add_executable(zuzu_bench_messages ${interop_dir}/zuzu_bench_messages.cpp)
  target_link_libraries(zuzu_bench_messages PRIVATE zuzu_random ${SERVER_ALL_LIBRARIES})

  foreach(t zuzu_interop zuzu_bench_messages)
    add_dependencies(${t} zuzu_interop_subset)
    target_compile_definitions(${t} PRIVATE "ZUZU_INTEROP_DIRECTORY=\"${zuzu_subset_dir}\"")
  endforeach()
endif()
