set(LIRVO_FUZZ_LIBS lirvo_reports lirvo_base)
