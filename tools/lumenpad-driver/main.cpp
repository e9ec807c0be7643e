// lumenpad-driver --serve ADDRESS_SPACE: the editor's driver checks, in a process the driver's
// compiler may crash or exhaust without harm to the editor. Opens a headless context made as
// the window makes its own, once; then reads framed requests from its input, one at a time,
// and writes the output panel's lines as a framed reply for each (see DriverRequest.h). The
// end of its input ends it. ADDRESS_SPACE limits the process, in bytes (0: no limit).
// Exit codes: 0 its input ended, 2 a request or reply could not be read or written,
// kDriverHelperOutOfMemory an allocation failed; a signal is the driver's crash.

#include "DriverRequest.h"
#include "GLBinding.h"
#include "GLContext.h"
#include "IsolatedDriverCheck.h"
#include "LumenpadError.h"
#include "SanitizerBuild.h"
#include "ShaderChecks.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <sys/resource.h>
#include <unistd.h>


#ifdef LUMENPAD_ASAN
// A crash of the driver is this program's answer, told by its signal: AddressSanitizer's own
// handlers would turn it into an exit code.
extern "C" const char* __asan_default_options()
{
    return "handle_segv=0:handle_sigbus=0:handle_abort=0:handle_sigfpe=0:handle_sigill=0:allow_user_segv_handler=1";
}
#endif

namespace {

[[noreturn]] void OutOfMemory()
{
    static const char message[] = "lumenpad-driver: out of memory\n";
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(kDriverHelperOutOfMemory);
}

// No core file of a crashed driver.
void LimitCoreFiles()
{
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    std::set_new_handler(OutOfMemory);
}

// An address space a runaway compile runs into long before it takes the machine's memory.
// AddressSanitizer reserves terabytes of address space for its shadow memory, so its builds
// run without this limit.
void LimitAddressSpace([[maybe_unused]] quint64 bytes)
{
#ifndef LUMENPAD_ASAN
    if (bytes == 0)
        return;
    const rlimit space{rlim_t(bytes), rlim_t(bytes)};
    ::setrlimit(RLIMIT_AS, &space);
#endif
}

// The display and the context, opened once for all checks; or why they could not be.
struct Session {
    void* dc = nullptr;
    void* rc = nullptr;
    QString failure;
};

Session OpenSession()
{
    Session session;
    try {
        LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1");
        session.dc = OpenDeviceContext(WindowSystem::Headless, nullptr);
        if (!session.dc)
            session.failure = QString::fromLatin1(kNoHeadlessDisplayMessage);
        else
            session.rc = CreateGLContext(session.dc, ContextOptions{ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
        // The driver's first compile and link sets up its code generator and takes several times
        // as long as a later one; done here, while the editor waits for nothing, it spares the
        // user's first check.
        if (session.rc)
            CheckLinkedShaders(session.dc, session.rc, {QStringLiteral("void main() { gl_Position = ftransform(); }")},
                               {QStringLiteral("void main() { gl_FragColor = vec4(1.0); }")});
    } catch (const LumenpadError& e) {
        session.failure = e.message();
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (const std::exception& e) {
        session.failure = QString::fromLocal8Bit(e.what());
    }
    return session;
}

DriverReply Check(const Session& session, const QByteArray& message)
{
    if (!session.failure.isEmpty())
        return {{}, session.failure};
    const std::optional<DriverRequest> request = DecodeDriverRequest(message);
    if (!request)
        return {{}, QStringLiteral("lumenpad-driver was given a request it cannot read")};
    try {
        const DriverLog log = RunDriverRequest(session.dc, session.rc, *request);
        return {log.lines, {}, log.outcome};
    } catch (const LumenpadError& e) {
        return {{}, e.message()};
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (const std::exception& e) {
        return {{}, QString::fromLocal8Bit(e.what())};
    }
}

// All of n bytes; false at the end of the input or on an error.
bool ReadExactly(int fd, char* p, size_t n)
{
    while (n > 0) {
        const ssize_t got = ::read(fd, p, n);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        n -= size_t(got);
    }
    return true;
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= size_t(n);
    }
    return true;
}

enum class Received { Request, End, Broken };

Received ReadRequest(QByteArray& message)
{
    unsigned char length[4];
    if (!ReadExactly(STDIN_FILENO, reinterpret_cast<char*>(length), 4))
        return Received::End;
    const quint32 n = quint32(length[0]) << 24 | quint32(length[1]) << 16 | quint32(length[2]) << 8 | length[3];
    if (n > quint32(kMaxDriverMessageBytes))
        return Received::Broken;
    message.resize(qsizetype(n));
    return ReadExactly(STDIN_FILENO, message.data(), n) ? Received::Request : Received::Broken;
}

} // namespace

int main(int argc, char** argv)
{
    LimitCoreFiles();
    // As the editor does before anything touches the driver.
    SetupFloatingPoint();
    DisableShaderDiskCaches();
    char* end = nullptr;
    const unsigned long long addressSpace = argc == 3 ? std::strtoull(argv[2], &end, 10) : 0;
    if (argc != 3 || std::strcmp(argv[1], "--serve") != 0 || !end || *end != '\0') {
        std::fputs("usage: lumenpad-driver --serve ADDRESS_SPACE (run by the editor)\n", stderr);
        return 2;
    }
    LimitAddressSpace(addressSpace);
    // The replies get a descriptor of their own: whatever the driver prints goes to the error
    // channel and cannot break a reply.
    const int replies = ::dup(STDOUT_FILENO);
    if (replies < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::perror("lumenpad-driver");
        return 2;
    }
    const Session session = OpenSession();
    for (;;) {
        QByteArray message;
        const Received received = ReadRequest(message);
        if (received == Received::End)
            break;
        if (received == Received::Broken) {
            std::fputs("lumenpad-driver: a request broke off or is too long\n", stderr);
            return 2;
        }
        if (!WriteAll(replies, FrameDriverMessage(EncodeDriverReply(Check(session, message))))) {
            std::fprintf(stderr, "lumenpad-driver: cannot write the reply: %s\n", std::strerror(errno));
            return 2;
        }
    }
    // The driver's own teardown has nothing left to give; the contexts go with the process.
    std::fflush(nullptr);
    ::_exit(0);
}
