#include "ValidateShader.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>

#include <climits>
#include <sstream>

namespace {

const char* StageName(ShaderStage stage)
{
    return stage == ShaderStage::Vertex ? "Vertex" : "Fragment";
}

std::string Counted(int n, const char* noun)
{
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

// glslang closes a failed compile with "ERROR: <n> compilation errors.  No code generated.",
// a summary rather than an error of its own.
bool IsErrorSummary(std::string_view line)
{
    constexpr std::string_view head = "ERROR: ";
    constexpr std::string_view tail = " compilation errors.";
    if (!StartsWith(line, head))
        return false;
    std::string_view rest = line.substr(head.size());
    size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
        ++digits;
    return digits > 0 && StartsWith(rest.substr(digits), tail);
}

void CountMessages(std::string_view log, int& errors, int& warnings)
{
    errors = warnings = 0;
    while (!log.empty()) {
        size_t end = log.find('\n');
        std::string_view line = log.substr(0, end);
        if ((StartsWith(line, "ERROR: ") || StartsWith(line, "INTERNAL ERROR: ")) && !IsErrorSummary(line))
            ++errors;
        else if (StartsWith(line, "WARNING: "))
            ++warnings;
        if (end == std::string_view::npos)
            break;
        log.remove_prefix(end + 1);
    }
}

void AppendWithLineBreak(std::string& out, const char* text)
{
    if (!text || !*text)
        return;
    out += text;
    if (out.back() != '\n')
        out += '\n';
}

} // namespace

std::string VerdictLine(ShaderStage stage, bool compiled, int errors, int warnings)
{
    return std::string(StageName(stage)) + (compiled ? " shader compiled: " : " shader failed to compile: ")
        + Counted(errors, "error") + ", " + Counted(warnings, "warning") + ".";
}

ValidationResult ValidateShader(ShaderStage stage, std::string_view text)
{
    const EShLanguage language = stage == ShaderStage::Vertex ? EShLangVertex : EShLangFragment;
    glslang::TShader shader(language);
    const char* strings[] = {text.empty() ? "" : text.data()};
    // glslang takes int lengths; a longer text is cut, which no real shader reaches.
    const int lengths[] = {text.size() > size_t(INT_MAX) ? INT_MAX : int(text.size())};
    shader.setStringsWithLengths(strings, lengths, 1);
    // No client and no target: the checks glslangValidator makes without -G or -V.
    shader.setEnvInput(glslang::EShSourceGlsl, language, glslang::EShClientNone, 0);
    shader.setEnvClient(glslang::EShClientNone, glslang::EShTargetClientVersion(0));
    shader.setEnvTarget(glslang::EShTargetNone, glslang::EShTargetLanguageVersion(0));

    constexpr int kDefaultVersion = 110; // desktop GLSL 1.10 when the text has no #version
    const bool compiled = shader.parse(GetDefaultResources(), kDefaultVersion, ENoProfile,
                                       /*forceDefaultVersionAndProfile=*/false,
                                       /*forwardCompatible=*/false, EShMsgDefault);

    ValidationResult result;
    result.compiled = compiled;
    AppendWithLineBreak(result.log, shader.getInfoLog());
    AppendWithLineBreak(result.log, shader.getInfoDebugLog());
    CountMessages(result.log, result.errors, result.warnings);
    result.log += VerdictLine(stage, compiled, result.errors, result.warnings) + "\n";
    return result;
}

ValidationResult UnreadableFileResult(ShaderStage stage, std::string_view file, std::string_view reason)
{
    ValidationResult result;
    result.errors = 1;
    result.log = "ERROR: cannot read " + std::string(file) + ": " + std::string(reason) + "\n";
    result.log += VerdictLine(stage, false, result.errors, result.warnings) + "\n";
    return result;
}
