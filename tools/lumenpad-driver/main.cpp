// lumenpad-driver REQUEST REPLY: one driver check for the editor, in a process the driver's
// compiler may crash or exhaust without harm to the editor. Reads the request the editor
// wrote, checks it in a headless context made as the window makes its own, and writes the
// output panel's lines as the reply (see DriverRequest.h). Exit codes: 0 a reply was written,
// 2 no reply could be written, kDriverHelperOutOfMemory an allocation failed; a signal is the
// driver's crash.

#include "DriverRequest.h"
#include "GLBinding.h"
#include "GLContext.h"
#include "IsolatedDriverCheck.h"
#include "LumenpadError.h"
#include "ShaderChecks.h"
#include "TextFile.h"

#include <QFile>

#include <cstdio>
#include <exception>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMENPAD_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define LUMENPAD_ASAN 1
#endif

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

DriverReply Check(const QString& requestPath)
{
    QFile file(requestPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxDriverMessageBytes)
        return {{}, QStringLiteral("lumenpad-driver cannot read its request %1").arg(requestPath)};
    const std::optional<DriverRequest> request = DecodeDriverRequest(file.readAll());
    if (!request)
        return {{}, QStringLiteral("lumenpad-driver was given a request it cannot read")};
    LimitAddressSpace(request->addressSpace);

    LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1");
    void* dc = OpenDeviceContext(WindowSystem::Headless, nullptr);
    if (!dc)
        return {{}, QString::fromLatin1(kNoHeadlessDisplayMessage)};
    void* rc = CreateGLContext(dc, ContextOptions{ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
    return {RunDriverRequest(dc, rc, *request).lines, {}};
}

} // namespace

int main(int argc, char** argv)
{
    LimitCoreFiles();
    // As the editor does before anything touches the driver.
    SetupFloatingPoint();
    DisableShaderDiskCaches();
    if (argc != 3) {
        std::fputs("usage: lumenpad-driver REQUEST REPLY (run by the editor)\n", stderr);
        return 2;
    }
    DriverReply reply;
    try {
        reply = Check(QString::fromLocal8Bit(argv[1]));
    } catch (const LumenpadError& e) {
        reply = {{}, e.message()};
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (const std::exception& e) {
        reply = {{}, QString::fromLocal8Bit(e.what())};
    }
    const QString replyPath = QString::fromLocal8Bit(argv[2]);
    if (const int error = WriteFileAtomically(replyPath, EncodeDriverReply(reply))) {
        std::fprintf(stderr, "lumenpad-driver: cannot write %s: %s\n", argv[2], qPrintable(SystemReason(error)));
        return 2;
    }
    // The driver's own teardown has nothing left to give; the contexts go with the process.
    std::fflush(nullptr);
    ::_exit(0);
}
