set(LIRVO_FUZZ_LIBS lirvo_crypto lirvo_base)
