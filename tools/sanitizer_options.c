/* The options the sanitizer runtimes read as they start, built into every
 * program of a sanitizer build (-DCORVANE_SANITIZE=ON or -DCORVANE_TSAN=ON);
 * a runtime the build has not linked never asks for its own.  Options in
 * the environment (ASAN_OPTIONS, LSAN_OPTIONS, UBSAN_OPTIONS, TSAN_OPTIONS)
 * still override them: the programs that open OpenGL windows turn leak
 * detection off so.
 *
 * Every report stops the program (the one kind of report the build lets
 * run on, an invalid bool, halts too unless tools/ubsan.supp names it as
 * the toolkit's), and leaks are checked at its end, passing over what the
 * libraries below the toolkit keep for the process (tools/lsan.supp); races
 * the toolkit's libraries report of their own threads are in
 * tools/tsan.supp. */

const char *__asan_default_options(void);
const char *__lsan_default_options(void);
const char *__ubsan_default_options(void);
const char *__tsan_default_options(void);

const char *__asan_default_options(void)
{
    return "detect_leaks=1";
}

const char *__lsan_default_options(void)
{
    return "suppressions=" CORVANE_SOURCE_DIR "/tools/lsan.supp";
}

const char *__ubsan_default_options(void)
{
    return "print_stacktrace=1:halt_on_error=1:suppressions=" CORVANE_SOURCE_DIR "/tools/ubsan.supp";
}

const char *__tsan_default_options(void)
{
    return "halt_on_error=1:suppressions=" CORVANE_SOURCE_DIR "/tools/tsan.supp";
}
