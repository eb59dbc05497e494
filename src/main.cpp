// trapezoid: shows the trapezoid value of the integral of x^4 over [0, 1] on
// 100 subintervals, then waits for Enter.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

#include "trapezoid.hpp"

// What standard input hands over: a stream of bytes (a pipe, a file, a
// device), a terminal's whole lines, or a terminal's single keystrokes.
enum class Input { Bytes, Lines, Keys };

static Input input_kind()
{
#ifdef _WIN32
    // Only a console has a mode; NUL, which passes _isatty, has none.
    DWORD mode;
    if (!GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin))), &mode))
        return Input::Bytes;
    return (mode & ENABLE_LINE_INPUT) != 0 ? Input::Lines : Input::Keys;
#else
    termios modes;
    if (tcgetattr(STDIN_FILENO, &modes) != 0)
        return Input::Bytes;
    return (modes.c_lflag & ICANON) != 0 ? Input::Lines : Input::Keys;
#endif
}

// Takes whatever one keystroke sent: an arrow key sends an escape sequence, a
// non-ASCII letter several bytes, and none of it may be left for the shell.
static void read_keystroke()
{
    char sent[256];
#ifdef _WIN32
    _read(_fileno(stdin), sent, sizeof sent);
#else
    // A terminal set to return at once (VMIN 0) would not wait: wait here.
    pollfd key{STDIN_FILENO, POLLIN, 0};
    poll(&key, 1, -1);
    while (read(STDIN_FILENO, sent, sizeof sent) < 0 && errno == EINTR) {
    }
#endif
}

int main()
{
    const float lower = 0.0f;
    const float upper = 1.0f;
    const std::int32_t count = 100;
    const float integral = trapezoid_x4(lower, upper, count);

    // Both texts must be out before the wait, whatever stdout is; a result
    // that was not written is an error, not a success. The stream's error
    // flag is asked too: MinGW's printf counts the characters of a write
    // that failed.
    if (std::printf(" de numerieke waarde van de integraal = %f \n",
                    static_cast<double>(integral)) < 0 ||
        std::printf("type enter to continue") < 0 || std::fflush(stdout) == EOF ||
        std::ferror(stdout)) {
        std::fprintf(stderr, "trapezoid: cannot write to standard output: %s\n",
                     std::strerror(errno));
        return 1;
    }

    // Unbuffered, stdin gives up one byte per read: from a pipe or a file the
    // program takes its one character and leaves the rest to the next reader.
    // In text mode Windows' C runtime would read past a CR to look for an LF
    // and keep that byte to itself, so there stdin is binary.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    // A terminal in canonical mode hands over whole lines: the rest of the
    // line goes with the Enter that ends it, instead of reaching the shell as
    // a command. A terminal in raw or cbreak mode has no lines, and its Enter
    // sends a CR that no newline follows: there one keystroke ends the wait.
    switch (input_kind()) {
    case Input::Bytes:
        std::getchar();
        break;
    case Input::Lines: {
        int c;
        do
            c = std::getchar();
        while (c != '\n' && c != EOF);
        break;
    }
    case Input::Keys:
        read_keystroke();
        break;
    }
    return 0;
}
