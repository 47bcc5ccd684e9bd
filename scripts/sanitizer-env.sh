# Sourced by the scripts that run sanitizer builds: a report aborts the
# program (so a crash is told apart from an ordinary failure exit), with
# symbolised stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1:strict_string_checks=1:check_initialization_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-abort_on_error=1:halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan-suppressions.txt:print_suppressions=0}
if [[ -z "${ASAN_SYMBOLIZER_PATH:-}" && -x /usr/lib/llvm-14/bin/llvm-symbolizer ]]; then
    export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi
