// glslvalidate: checks one shader file with glslang and writes the result to a log file
// in the working directory.
//
//   glslvalidate /v FILE   vertex shader   -> vertex.log
//   glslvalidate /f FILE   fragment shader -> fragment.log
//   glslvalidate [--target T] [--stage S] [--log NAME] FILE   any stage, any target
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
#include <spawn.h>
#include <sys/wait.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kExitCompiled = 0;
constexpr int kExitFailed = 1;
constexpr int kExitTrouble = 2;

void PrintUsage(std::FILE* stream = stderr)
{
    std::fputs("usage: glslvalidate /v FILE   check FILE as a vertex shader, write vertex.log\n"
               "       glslvalidate /f FILE   check FILE as a fragment shader, write fragment.log\n"
               "       glslvalidate [OPTIONS] [/v|/f] FILE   options first; without /v or /f the stage\n"
               "                      comes from --stage, the file name or #pragma shader_stage(...)\n"
               "(-v, --vertex, -f and --fragment are accepted as well)\n"
               "\n"
               "options:\n"
               "  --target T     check for target T (default auto):\n"
               "                 auto              what the shader's #version says, GLSL 1.10 without one\n"
               "                 gl:VERSION[:core|:compat]   desktop GLSL 110 ... 460 (150 and later: core\n"
               "                                   unless compat is named)\n"
               "                 es:VERSION        OpenGL ES GLSL 100, 300, 310, 320\n"
               "                 vulkan:1.0 ... vulkan:1.3   Vulkan rules; the SPIR-V made is checked with\n"
               "                                   spirv-val for that environment\n"
               "                 A shader without #version is read as the target's version; a #version\n"
               "                 that says otherwise is an error.\n"
               "  --stage S      vertex, tesscontrol, tessevaluation, geometry, fragment or compute\n"
               "                 (or vert, tesc, tese, geom, frag, comp)\n"
               "  --log NAME     the log file to write (default: the stage's name and .log)\n"
               "  --spirv-val P  the SPIR-V validator to run (default: spirv-val from PATH)\n"
               "\n"
               "  --help         show this text; --version names the glslang it is built on\n"
               "\n"
               "exit status: 0 compiled, 1 not compiled, 2 bad usage or a file that could not be\n"
               "read or written\n",
               stream);
}

struct Arguments {
    std::optional<ShaderStage> stage;
    ShaderTarget target;
    std::string logName;
    std::string spirvVal = "spirv-val";
    const char* file = nullptr;
};

std::optional<ShaderStage> StageFromSwitch(std::string_view s)
{
    if (s == "/v" || s == "-v" || s == "--vertex")
        return ShaderStage::Vertex;
    if (s == "/f" || s == "-f" || s == "--fragment")
        return ShaderStage::Fragment;
    return std::nullopt;
}

std::optional<Arguments> ParseArguments(int argc, char** argv)
{
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a.file)
            return std::nullopt; // the file comes last
        if (const std::optional<ShaderStage> stage = StageFromSwitch(arg)) {
            a.stage = stage;
        } else if (arg == "--stage" && hasValue) {
            a.stage = ParseStage(argv[++i]);
            if (!a.stage)
                return std::nullopt;
        } else if (arg == "--target" && hasValue) {
            const std::optional<ShaderTarget> target = ParseTarget(argv[++i]);
            if (!target)
                return std::nullopt;
            a.target = *target;
        } else if (arg == "--log" && hasValue) {
            a.logName = argv[++i];
        } else if (arg == "--spirv-val" && hasValue) {
            a.spirvVal = argv[++i];
        } else if (!arg.empty() && (arg[0] != '-' || arg == "-")) {
            a.file = argv[i];
        } else {
            return std::nullopt;
        }
    }
    if (!a.file)
        return std::nullopt;
    return a;
}

// A shader is never this large; a bigger file is refused rather than read into memory.
constexpr off_t kMaxShaderBytes = off_t(256) << 20;

// Reads the whole file; on failure returns false with the system's reason. Only a regular
// file is read, so a FIFO or a device named in its place can neither stall nor flood the run.
bool ReadWholeFile(const char* path, std::string& text, std::string& reason)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxShaderBytes) {
        reason = S_ISDIR(info.st_mode)   ? std::strerror(EISDIR)
                 : !S_ISREG(info.st_mode) ? "not a regular file"
                                          : "larger than 256 MB";
        close(fd);
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

// Runs the SPIR-V validator on the module for the target's environment and returns what it
// said; a validator that cannot be run says so in one warning line.
std::string RunSpirvValidator(const std::string& program, const std::string& module, const ShaderTarget& target)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/glslvalidate-XXXXXX.spv";
    const int fd = mkstemps(path.data(), 4);
    if (fd < 0)
        return "warning: SPIR-V not validated: no temporary file: " + std::string(std::strerror(errno)) + "\n";
    const bool written = WriteAll(fd, module);
    close(fd);
    std::string output;
    if (!written) {
        output = "warning: SPIR-V not validated: " + std::string(std::strerror(errno)) + "\n";
        unlink(path.c_str());
        return output;
    }

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        unlink(path.c_str());
        return "warning: SPIR-V not validated: " + std::string(std::strerror(errno)) + "\n";
    }
    const std::string environment = "vulkan1." + std::to_string(target.version - 10);
    const char* args[] = {program.c_str(), "--target-env", environment.c_str(), path.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, const_cast<char* const*>(args), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        unlink(path.c_str());
        return "warning: SPIR-V not validated: " + program + ": " + std::strerror(spawned) + "\n";
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, size_t(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    unlink(path.c_str());
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && output.find("error") == std::string::npos))
        output += "error: " + program + " failed without a message\n";
    return output;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        PrintUsage(stdout);
        return kExitCompiled;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        const glslang::Version v = glslang::GetVersion();
        std::printf("glslvalidate on glslang %d.%d.%d%s\n", v.major, v.minor, v.patch, v.flavor ? v.flavor : "");
        return kExitCompiled;
    }
    const std::optional<Arguments> arguments = ParseArguments(argc, argv);
    if (!arguments) {
        PrintUsage();
        return kExitTrouble;
    }
    const char* file = arguments->file;

    std::string text;
    std::string reason;
    const bool readable = ReadWholeFile(file, text, reason);
    std::optional<ShaderStage> stage = arguments->stage;
    if (!stage)
        stage = StageFromFileName(file);
    if (!stage && readable)
        stage = StageFromPragma(text);
    if (!stage) {
        std::fprintf(stderr, "glslvalidate: cannot tell the stage of %s; give /v, /f or --stage, name the file "
                             ".vert, .tesc, .tese, .geom, .frag or .comp, or add #pragma shader_stage(...)\n", file);
        PrintUsage();
        return kExitTrouble;
    }
    const std::string logName =
        arguments->logName.empty() ? std::string(StageName(*stage)) + ".log" : arguments->logName;

    ValidationResult result;
    if (readable) {
        glslang::InitializeProcess();
        result = ValidateShader(*stage, arguments->target, text);
        glslang::FinalizeProcess();
        if (arguments->target.api == TargetApi::Vulkan && result.compiled && !result.spirv.empty())
            AddSpirvValidation(result, *stage, RunSpirvValidator(arguments->spirvVal, result.spirv, arguments->target));
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
