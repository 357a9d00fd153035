# Engine subsystems each fuzz target links (targets not listed link all).
set(markers_fuzz_SUBSYSTEMS platform runtime audio)
