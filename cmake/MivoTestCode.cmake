# mivo_quick_test_code(TARGET): compiles TARGET's own sources for a quick
# build. Test programs are many large files of assertions that run once;
# optimising them and their full debug information took most of a build
# (about three times as long as with these flags, more under the
# sanitizers). -Og keeps them debuggable and -g1 keeps the function names
# and lines of a backtrace. The code under test (mivo_core, the host's parts)
# keeps the build type's flags.
function(mivo_quick_test_code target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-Og$<SEMICOLON>-g1>)
endfunction()
