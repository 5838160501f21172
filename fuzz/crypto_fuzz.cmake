set(LIRVO_FUZZ_LIBS lirvo_crypto lirvo_base)
# Coverage feedback needs the library instrumented too, not only the target.
if(LIRVO_FUZZ)
  target_compile_options(lirvo_crypto PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
