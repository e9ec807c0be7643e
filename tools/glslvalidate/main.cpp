// glslvalidate: checks one shader file with glslang and writes the result to a log file
// in the working directory.
//
//   glslvalidate /v FILE   vertex shader   -> vertex.log
//   glslvalidate /f FILE   fragment shader -> fragment.log
//
// Exit status: 0 compiled, 1 not compiled, 2 bad usage or a file that could not be read
// or written. Every run that gets as far as the shader writes its log, a file it cannot
// read included, so whoever shows the log also sees why.

#include "ValidateShader.h"

#include <glslang/Public/ShaderLang.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kExitCompiled = 0;
constexpr int kExitFailed = 1;
constexpr int kExitTrouble = 2;

void PrintUsage()
{
    std::fputs("usage: glslvalidate /v FILE   check FILE as a vertex shader, write vertex.log\n"
               "       glslvalidate /f FILE   check FILE as a fragment shader, write fragment.log\n"
               "(-v, --vertex, -f and --fragment are accepted as well)\n",
               stderr);
}

std::optional<ShaderStage> StageFromSwitch(std::string_view s)
{
    if (s == "/v" || s == "-v" || s == "--vertex")
        return ShaderStage::Vertex;
    if (s == "/f" || s == "-f" || s == "--fragment")
        return ShaderStage::Fragment;
    return std::nullopt;
}

// Reads the whole file; on failure returns false with the system's reason.
bool ReadWholeFile(const char* path, std::string& text, std::string& reason)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            reason = std::strerror(errno);
            close(fd);
            return false;
        }
        text.append(buffer, size_t(n));
    }
    close(fd);
    return true;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

// Writes the log under a temporary name and renames it into place, so a reader never
// sees a half-written log and a failed write keeps the previous one whole.
bool WriteLogFile(const std::string& name, std::string_view text, std::string& reason)
{
    std::string temp = name + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    // mkstemp creates 0600; a log is an ordinary file, readable as the umask allows.
    const mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, text);
    if (!ok)
        reason = std::strerror(errno);
    if (close(fd) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (ok && std::rename(temp.c_str(), name.c_str()) != 0) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (!ok)
        unlink(temp.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<ShaderStage> stage;
    if (argc == 3)
        stage = StageFromSwitch(argv[1]);
    if (!stage) {
        PrintUsage();
        return kExitTrouble;
    }
    const char* file = argv[2];
    const std::string logName = *stage == ShaderStage::Vertex ? "vertex.log" : "fragment.log";

    std::string text;
    std::string reason;
    ValidationResult result;
    bool readable = ReadWholeFile(file, text, reason);
    if (readable) {
        glslang::InitializeProcess();
        result = ValidateShader(*stage, text);
        glslang::FinalizeProcess();
    } else {
        result = UnreadableFileResult(*stage, file, reason);
        std::fprintf(stderr, "glslvalidate: cannot read %s: %s\n", file, reason.c_str());
    }

    if (!WriteLogFile(logName, result.log, reason)) {
        std::fprintf(stderr, "glslvalidate: cannot write %s: %s\n", logName.c_str(), reason.c_str());
        return kExitTrouble;
    }
    if (!readable)
        return kExitTrouble;
    return result.compiled ? kExitCompiled : kExitFailed;
}
