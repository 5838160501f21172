target_link_libraries(${name} PRIVATE lirvo_reports lirvo_demo)
