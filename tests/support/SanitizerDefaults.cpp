// SPDX-License-Identifier: GPL-3.0-or-later
// Options the sanitizers read at start-up, built into every test program so
// that a test runs the same from ctest, a shell or a debugger.
extern "C" {

const char *__asan_default_options() { return "detect_leaks=1"; }
const char *__ubsan_default_options() { return "print_stacktrace=1"; }
const char *__tsan_default_options() { return "second_deadlock_stack=1"; }

// FFmpeg's and x264's worker threads synchronise inside the distribution's
// libraries, which are built without the sanitizer: it sees their memset and
// memcpy calls but not the atomics that order them.  Reports raised from
// inside those libraries are theirs, not ours.
// libdbus keeps a buffer for the life of the process when Qt talks to the
// session bus under a real X server; it is the library's, not ours.
const char *__lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

const char *__tsan_default_suppressions()
{
    return "called_from_lib:libavcodec.so\n"
           "called_from_lib:libavutil.so\n"
           "called_from_lib:libavfilter.so\n"
           "called_from_lib:libavformat.so\n"
           "called_from_lib:libswscale.so\n"
           "called_from_lib:libswresample.so\n"
           "called_from_lib:libx264.so\n";
}

}
