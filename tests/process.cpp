// The program as a user meets it: spawned with its standard streams on real
// pipes, files, a pseudo-terminal and failing devices.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace {

const std::string caption = " de numerieke waarde van de integraal = 0.200033 \n";
const std::string prompt = "type enter to continue";
const std::string texts = caption + prompt;
// A terminal's output processing turns the line end into CR LF.
const std::string texts_on_terminal =
    " de numerieke waarde van de integraal = 0.200033 \r\n" + prompt;

// No wait below may hang the suite: a program that blocks where it should
// not is killed and the test fails.
const auto patience = std::chrono::seconds(10);

std::string write_error(int error)
{
    return std::string("trapezoid: cannot write to standard output: ") + std::strerror(error) +
           "\n";
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    int get() const { return fd_; }
    void reset() { Fd(std::exchange(fd_, -1)); }

private:
    int fd_;
};

struct Pipe {
    Fd read, write;
};

// Every descriptor is close-on-exec, so the program inherits exactly the
// three it is given, and a pipe's write end reaches end of file when the
// test closes it.
Pipe make_pipe()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        ADD_FAILURE() << "pipe2: " << std::strerror(errno);
    return {Fd(fds[0]), Fd(fds[1])};
}

void write_all(int fd, const std::string& data)
{
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n <= 0) {
            ADD_FAILURE() << "write: " << std::strerror(errno);
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

Fd temp_file(const std::string& content)
{
    char name[] = "/tmp/trapezoid-test-XXXXXX";
    Fd fd(mkostemp(name, O_CLOEXEC));
    unlink(name);
    write_all(fd.get(), content);
    lseek(fd.get(), 0, SEEK_SET);
    return fd;
}

Fd open_file(const char* path, int flags) { return Fd(open(path, flags | O_CLOEXEC)); }

// Reads what fd has from its current offset to its end.
std::string read_rest(int fd)
{
    std::string got;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        got.append(buf, static_cast<std::size_t>(n));
    return got;
}

struct Terminal {
    Fd master, slave;
};

Terminal make_terminal()
{
    int master, slave;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        ADD_FAILURE() << "openpty: " << std::strerror(errno);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    return {Fd(master), Fd(slave)};
}

struct Options {
    std::vector<std::string> args;
    std::vector<std::string> env;
    bool ignore_sigpipe = false;
};

Options with_args(std::vector<std::string> args) { return {std::move(args), {}, false}; }

class Child {
public:
    // stdio[i] becomes descriptor i of the program; -1 leaves it closed.
    Child(const int (&stdio)[3], const Options& options = {})
    {
        std::vector<std::string> arg_strings{TRAPEZOID_PROGRAM};
        arg_strings.insert(arg_strings.end(), options.args.begin(), options.args.end());
        std::vector<char*> argv, envp;
        for (std::string& arg : arg_strings)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<std::string> env_strings(options.env);
        for (char** e = environ; *e != nullptr; ++e)
            env_strings.emplace_back(*e); // the first of a name wins
        for (std::string& var : env_strings)
            envp.push_back(var.data());
        envp.push_back(nullptr);

        pid_ = fork();
        if (pid_ == 0) {
            // A source may itself be 0, 1 or 2 (when the test runs with one
            // of its own streams closed), and close-on-exec: first copy every
            // source above 2, so that no dup2 below is a no-op that keeps the
            // flag or overwrites another source.
            int source[3];
            for (int target = 0; target < 3; ++target) {
                source[target] = stdio[target] < 0 ? -1 : fcntl(stdio[target], F_DUPFD_CLOEXEC, 3);
                if (stdio[target] >= 0 && source[target] < 0)
                    _exit(126);
            }
            for (int target = 0; target < 3; ++target) {
                if (source[target] < 0)
                    close(target);
                else if (dup2(source[target], target) < 0)
                    _exit(126);
            }
            signal(SIGPIPE, options.ignore_sigpipe ? SIG_IGN : SIG_DFL);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        if (pid_ < 0)
            ADD_FAILURE() << "fork: " << std::strerror(errno);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // Whether the program is still running; once it has ended, its wait
    // status is kept for wait().
    bool running()
    {
        if (pid_ < 0)
            return false;
        const pid_t ended = waitpid(pid_, &status_, WNOHANG);
        if (ended == 0)
            return true;
        if (ended < 0)
            status_ = -1;
        pid_ = -1;
        return false;
    }

    // The wait status once the program has ended; a program still running
    // when patience runs out is killed, and its status shows SIGKILL.
    int wait()
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (running()) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status_, 0);
                pid_ = -1;
                break;
            }
            usleep(1000);
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    int status_ = -1; // no wait status: the program was never seen to end
};

// Reads fd until it has given want, or nothing more comes within patience.
std::string read_until(int fd, const std::string& want)
{
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (got.find(want) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

// Reads the program's stdout and stderr pipes to their ends together, so that
// neither can fill while the other is read.
std::pair<std::string, std::string> read_both(int out, int err)
{
    std::string got[2];
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while ((fds[0].fd >= 0 || fds[1].fd >= 0) && std::chrono::steady_clock::now() < deadline) {
        if (poll(fds, 2, 10) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0)
                fds[i].fd = -1;
            else
                got[i].append(buf, static_cast<std::size_t>(n));
        }
    }
    return {got[0], got[1]};
}

// Wait statuses: a normal exit with code, and an end by a fatal signal.
int exited(int code) { return code << 8; }
int killed_by(int signal) { return signal; }

// --- One run from start to end: what goes in, what comes out. -------------

enum class In {
    Pipe,      // a pipe holding the input, its write end closed
    File,      // a regular file holding the input
    Null,      // /dev/null
    Closed,    // no descriptor 0 at all
    Directory, // open, but every read fails
    Waiting,   // a pipe that stays open and empty: a program that reads waits
};

enum class Out {
    Pipe,
    File,
    Closed,     // no descriptor 1
    Full,       // /dev/full: every write fails with ENOSPC
    BrokenPipe, // a pipe whose reader has gone
};

struct RunCase {
    const char* name;
    In in;
    std::string input;
    Out out;
    Options options;
    int status;             // the wait status
    std::string shown;      // what standard output receives
    std::string diagnostic; // what standard error receives
    std::string unread;     // what stays on standard input for the next reader
};

std::vector<RunCase> run_cases()
{
    const std::vector<std::string> many_args(1000, "--help");
    const Options none;
    const Options sigpipe_ignored{{}, {}, true};
    // clang-format off
    return {
        // name                         stdin       input     stdout         options
        //                              status                shown  diagnostic          unread
        {"PipeInputGivesUpOneByte",     In::Pipe,   "abc",    Out::Pipe,     none,
                                        exited(0),            texts, "",                 "bc"},
        {"FileInputGivesUpOneByte",     In::File,   "abc",    Out::Pipe,     none,
                                        exited(0),            texts, "",                 "bc"},
        {"PipeLineEndIsTheOneByte",     In::Pipe,   "\nls\n", Out::Pipe,     none,
                                        exited(0),            texts, "",                 "ls\n"},
        {"EmptyPipe",                   In::Pipe,   "",       Out::Pipe,     none,
                                        exited(0),            texts, "",                 ""},
        {"DevNull",                     In::Null,   "",       Out::Pipe,     none,
                                        exited(0),            texts, "",                 ""},
        {"StdinClosed",                 In::Closed, "",       Out::Pipe,     none,
                                        exited(0),            texts, "",                 ""},
        {"StdinFailing",                In::Directory, "",    Out::Pipe,     none,
                                        exited(0),            texts, "",                 ""},
        {"OutputToFile",                In::Pipe,   "\n",     Out::File,     none,
                                        exited(0),            texts, "",                 ""},
        {"HelpOptionIgnored",           In::Pipe,   "\n",     Out::Pipe,     with_args({"--help"}),
                                        exited(0),            texts, "",                 ""},
        {"ArgumentsIgnored",            In::Pipe,   "\n",     Out::Pipe,
                                        with_args({"-h", "--version", "", "a b", "%f %n"}),
                                        exited(0),            texts, "",                 ""},
        {"ThousandArgumentsIgnored",    In::Pipe,   "\n",     Out::Pipe,     with_args(many_args),
                                        exited(0),            texts, "",                 ""},
        {"StdoutClosed",                In::Waiting, "",      Out::Closed,   none,
                                        exited(1),            "",    write_error(EBADF),  ""},
        {"StdoutFull",                  In::Waiting, "",      Out::Full,     none,
                                        exited(1),            "",    write_error(ENOSPC), ""},
        {"ReaderGone",                  In::Waiting, "",      Out::BrokenPipe, none,
                                        killed_by(SIGPIPE),   "",    "",                  ""},
        {"ReaderGoneSigpipeIgnored",    In::Waiting, "",      Out::BrokenPipe, sigpipe_ignored,
                                        exited(1),            "",    write_error(EPIPE),  ""},
    };
    // clang-format on
}

class Run : public testing::TestWithParam<RunCase> {};

TEST_P(Run, EndsAsExpected)
{
    const RunCase& c = GetParam();

    Pipe in_pipe = make_pipe();
    Fd in_fd;
    switch (c.in) {
    case In::Pipe:
        write_all(in_pipe.write.get(), c.input);
        in_pipe.write.reset();
        break;
    case In::File:
        in_fd = temp_file(c.input);
        break;
    case In::Null:
        in_fd = open_file("/dev/null", O_RDONLY);
        break;
    case In::Directory:
        in_fd = open_file("/", O_RDONLY);
        break;
    case In::Closed:
    case In::Waiting:
        break;
    }
    const int in = c.in == In::Closed ? -1 : in_fd.get() >= 0 ? in_fd.get() : in_pipe.read.get();

    Pipe out_pipe = make_pipe();
    Fd out_fd;
    switch (c.out) {
    case Out::File:
        out_fd = temp_file("");
        break;
    case Out::Full:
        out_fd = open_file("/dev/full", O_WRONLY);
        break;
    case Out::BrokenPipe:
        out_pipe.read.reset();
        break;
    case Out::Pipe:
    case Out::Closed:
        break;
    }
    const int out = c.out == Out::Closed ? -1
                    : out_fd.get() >= 0  ? out_fd.get()
                                         : out_pipe.write.get();

    Pipe err_pipe = make_pipe();
    Child child({in, out, err_pipe.write.get()}, c.options);
    out_pipe.write.reset();
    err_pipe.write.reset();

    auto [got_out, got_err] =
        read_both(c.out == Out::Pipe ? out_pipe.read.get() : -1, err_pipe.read.get());
    EXPECT_EQ(child.wait(), c.status);
    if (c.out == Out::File) {
        lseek(out_fd.get(), 0, SEEK_SET);
        got_out = read_rest(out_fd.get());
    }
    if (c.out == Out::Pipe || c.out == Out::File) {
        EXPECT_EQ(got_out, c.shown);
    }
    EXPECT_EQ(got_err, c.diagnostic);
    if (c.in == In::Pipe) {
        EXPECT_EQ(read_rest(in_pipe.read.get()), c.unread);
    }
    if (c.in == In::File) {
        EXPECT_EQ(read_rest(in_fd.get()), c.unread);
    }
}

// Test names and printed parameters are the cases' own names.
const auto by_name = [](const auto& p) { return std::string(p.param.name); };
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(Process, Run, testing::ValuesIn(run_cases()), by_name);

// --- The texts are out before the program waits. ---------------------------

enum class Target { Pipe, File, Terminal };

struct Shown {
    const char* name;
    Target target;
};

void PrintTo(const Shown& c, std::ostream* os) { *os << c.name; }

class ShownBeforeWait : public testing::TestWithParam<Shown> {};

TEST_P(ShownBeforeWait, ThenOneByteEndsTheWait)
{
    Pipe in = make_pipe();
    Pipe out_pipe = make_pipe();
    Fd out_file = temp_file("");
    Terminal terminal = make_terminal();
    const Target target = GetParam().target;
    const int out = target == Target::Pipe   ? out_pipe.write.get()
                    : target == Target::File ? out_file.get()
                                             : terminal.slave.get();

    Child child({in.read.get(), out, STDERR_FILENO});
    std::string shown;
    const std::string want = target == Target::Terminal ? texts_on_terminal : texts;
    if (target == Target::File) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        Fd reader =
            open_file(("/proc/self/fd/" + std::to_string(out_file.get())).c_str(), O_RDONLY);
        while (shown.size() < want.size() && std::chrono::steady_clock::now() < deadline) {
            usleep(1000);
            shown += read_rest(reader.get());
        }
    } else {
        shown =
            read_until(target == Target::Pipe ? out_pipe.read.get() : terminal.master.get(), want);
    }
    EXPECT_EQ(shown, want);
    EXPECT_TRUE(child.running()) << "the program did not wait for input";

    write_all(in.write.get(), "x");
    EXPECT_EQ(child.wait(), exited(0));
}

INSTANTIATE_TEST_SUITE_P(Process, ShownBeforeWait,
                         testing::Values(Shown{"Pipe", Target::Pipe}, Shown{"File", Target::File},
                                         Shown{"Terminal", Target::Terminal}),
                         by_name);

// --- At a terminal, what ends the wait goes with it. ----------------------

// The terminal's mode as the program finds it: canonical, as a shell leaves
// it; raw or cbreak, as a program that crashed or a parent process leaves it.
// Neither of the last two has lines: Enter sends a CR that no newline follows.
enum class Mode { Canonical, Raw, Cbreak };

struct Typed {
    const char* name;
    Mode mode;
    std::string keys; // sent in one write, as one key or one typed line
    std::string shown;
};

void PrintTo(const Typed& c, std::ostream* os) { *os << c.name; }

void set_mode(int tty, Mode mode)
{
    termios modes;
    tcgetattr(tty, &modes);
    if (mode == Mode::Raw)
        cfmakeraw(&modes);
    if (mode == Mode::Cbreak)
        modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    tcsetattr(tty, TCSANOW, &modes);
}

bool same_modes(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

class AtTerminal : public testing::TestWithParam<Typed> {};

TEST_P(AtTerminal, KeysEndTheWaitAndNothingOfThemStays)
{
    const Typed& c = GetParam();
    Terminal terminal = make_terminal();
    const int tty = terminal.slave.get();
    set_mode(tty, c.mode);
    termios before;
    tcgetattr(tty, &before);
    Child child({tty, tty, STDERR_FILENO});
    EXPECT_EQ(read_until(terminal.master.get(), c.shown), c.shown);

    write_all(terminal.master.get(), c.keys);
    EXPECT_EQ(child.wait(), exited(0));

    // Whatever the program left unread would reach the next reader of the
    // terminal, the shell; and the shell expects the modes it left.
    fcntl(tty, F_SETFL, O_NONBLOCK);
    char left[8192];
    const ssize_t n = read(tty, left, sizeof left);
    EXPECT_EQ(n, -1) << "left on the terminal: "
                     << std::string(left, n > 0 ? static_cast<std::size_t>(n) : 0);
    EXPECT_EQ(errno, EAGAIN);
    termios after;
    tcgetattr(tty, &after);
    EXPECT_TRUE(same_modes(before, after)) << "the program changed the terminal's modes";
}

// Raw mode also stops output processing: the line end stays a bare LF.
INSTANTIATE_TEST_SUITE_P(
    Process, AtTerminal,
    testing::Values(Typed{"Enter", Mode::Canonical, "\n", texts_on_terminal},
                    Typed{"EnterAsCR", Mode::Canonical, "\r", texts_on_terminal},
                    Typed{"WordsThenEnter", Mode::Canonical, "rm -rf x\n", texts_on_terminal},
                    Typed{"LongLineThenEnter", Mode::Canonical, std::string(3000, 'y') + "\n",
                          texts_on_terminal},
                    Typed{"EndOfFile", Mode::Canonical, "\x04", texts_on_terminal},
                    Typed{"RawEnter", Mode::Raw, "\r", texts},
                    Typed{"RawArrowKey", Mode::Raw, "\x1b[A", texts},
                    Typed{"CbreakTwoByteLetter", Mode::Cbreak, "\xc3\xa9", texts_on_terminal}),
    by_name);

// --- The decimal point does not follow the locale. -------------------------

TEST(Process, DutchLocaleKeepsDecimalPoint)
{
    const char* dutch = "nl_NL.UTF-8";
    locale_t probe = newlocale(LC_ALL_MASK, dutch, nullptr);
    if (probe == nullptr)
        GTEST_SKIP() << dutch << " is not installed here";
    freelocale(probe);

    Pipe in = make_pipe();
    in.write.reset();
    Pipe out = make_pipe();
    Pipe err = make_pipe();
    Child child({in.read.get(), out.write.get(), err.write.get()},
                {{}, {std::string("LC_ALL=") + dutch, std::string("LANG=") + dutch}, false});
    out.write.reset();
    err.write.reset();
    const auto [got_out, got_err] = read_both(out.read.get(), err.read.get());
    EXPECT_EQ(child.wait(), exited(0));
    EXPECT_EQ(got_out, texts);
    EXPECT_EQ(got_err, "");
}

} // namespace
