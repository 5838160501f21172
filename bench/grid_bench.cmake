target_link_libraries(${name} PRIVATE lirvo_controls)
