// Linked into every program of a sanitizer build, so the options hold however
// it is started (ctest, a shell, a debugger); ASAN_OPTIONS still overrides.
//
// intercept_tls_get_addr=0: the runtime's hook on __tls_get_addr guesses
// glibc's layout of dynamic thread-local storage; where the guess is wrong it
// hands the leak check a bogus range, and its tracer crashed at the exit of
// programs that load the Firebird client library. Leaks are still found
// without it (firebird.LeakStillReported).
extern "C" const char* __asan_default_options() {
  return "intercept_tls_get_addr=0:detect_leaks=1";
}

extern "C" const char* __ubsan_default_options() {
  return "print_stacktrace=1";
}
