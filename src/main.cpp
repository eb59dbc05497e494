// trapezoid: shows the trapezoid value of the integral of x^4 over [0, 1] on
// 100 subintervals, then waits for Enter.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "trapezoid.hpp"

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
    // A terminal hands over whole lines, so there the rest of the line goes
    // with the Enter that ends it, instead of reaching the shell as a command.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    if (isatty(fileno(stdin))) {
        int c;
        do
            c = std::getchar();
        while (c != '\n' && c != EOF);
    } else {
        std::getchar();
    }
    return 0;
}
