#include "DriverCrashReport.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// Written before each check, read only by the handler: no allocation there.
char gMessage[4096] = "lumenpad-check: crashed";
volatile sig_atomic_t gExitCode = 2;
alignas(16) char gStack[256 * 1024];

void Write(const char* text)
{
    const size_t length = std::strlen(text);
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, text, length);
}

void OnCrash(int signal)
{
    char number[16];
    int i = int(sizeof number) - 1;
    number[i] = '\0';
    unsigned value = unsigned(signal);
    do {
        number[--i] = char('0' + value % 10);
        value /= 10;
    } while (value != 0 && i > 0);
    Write(gMessage);
    Write(" (signal ");
    Write(number + i);
    Write(")\n");
    ::_exit(gExitCode);
}

} // namespace

void InstallDriverCrashReport(int exitCode)
{
    gExitCode = exitCode;
    stack_t stack{};
    stack.ss_sp = gStack;
    stack.ss_size = sizeof gStack;
    ::sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = OnCrash;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
        ::sigaction(signal, &action, nullptr);
}

void NoteDriverCheck(const QString& what)
{
    const QByteArray text = (QStringLiteral("lumenpad-check: the OpenGL driver crashed in the check ") + what).toUtf8();
    const size_t length = std::min(size_t(text.size()), sizeof gMessage - 1);
    std::memcpy(gMessage, text.constData(), length);
    gMessage[length] = '\0';
}
