# Engine subsystems each fuzz target links (targets not listed link all).
set(markers_fuzz_SUBSYSTEMS platform runtime audio)
set(obj_fuzz_SUBSYSTEMS platform assets archive)
set(mtl_fuzz_SUBSYSTEMS platform assets archive)
set(unrar_fuzz_SUBSYSTEMS rar)
set(bobj_fuzz_SUBSYSTEMS platform assets archive)
