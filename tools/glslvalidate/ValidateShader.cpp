#include "ValidateShader.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>

#include <climits>
#include <memory>

namespace {

const char* StageTitle(ShaderStage stage)
{
    switch (stage) {
    case ShaderStage::Vertex: return "Vertex";
    case ShaderStage::TessControl: return "Tessellation control";
    case ShaderStage::TessEvaluation: return "Tessellation evaluation";
    case ShaderStage::Geometry: return "Geometry";
    case ShaderStage::Fragment: return "Fragment";
    case ShaderStage::Compute: return "Compute";
    }
    return "Unknown";
}

EShLanguage Language(ShaderStage stage)
{
    switch (stage) {
    case ShaderStage::Vertex: return EShLangVertex;
    case ShaderStage::TessControl: return EShLangTessControl;
    case ShaderStage::TessEvaluation: return EShLangTessEvaluation;
    case ShaderStage::Geometry: return EShLangGeometry;
    case ShaderStage::Fragment: return EShLangFragment;
    case ShaderStage::Compute: return EShLangCompute;
    }
    return EShLangVertex;
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

ValidationResult Finished(ShaderStage stage, bool compiled, std::string log)
{
    ValidationResult result;
    result.compiled = compiled;
    result.log = std::move(log);
    CountMessages(result.log, result.errors, result.warnings);
    result.log += VerdictLine(stage, compiled, result.errors, result.warnings) + "\n";
    return result;
}

glslang::EShTargetClientVersion VulkanVersion(const ShaderTarget& target)
{
    switch (target.version) {
    case 11: return glslang::EShTargetVulkan_1_1;
    case 12: return glslang::EShTargetVulkan_1_2;
    case 13: return glslang::EShTargetVulkan_1_3;
    default: return glslang::EShTargetVulkan_1_0;
    }
}

// The SPIR-V version each Vulkan version takes by default, as glslang's own tool picks it.
glslang::EShTargetLanguageVersion SpirvVersion(const ShaderTarget& target)
{
    switch (target.version) {
    case 11: return glslang::EShTargetSpv_1_3;
    case 12: return glslang::EShTargetSpv_1_5;
    case 13: return glslang::EShTargetSpv_1_6;
    default: return glslang::EShTargetSpv_1_0;
    }
}

ValidationResult ValidateForVulkan(ShaderStage stage, const ShaderTarget& target, std::string_view text)
{
    const EShLanguage language = Language(stage);
    auto shader = std::make_unique<glslang::TShader>(language);
    const char* strings[] = {text.empty() ? "" : text.data()};
    const int lengths[] = {text.size() > size_t(INT_MAX) ? INT_MAX : int(text.size())};
    shader->setStringsWithLengths(strings, lengths, 1);
    shader->setEnvInput(glslang::EShSourceGlsl, language, glslang::EShClientVulkan, 100);
    shader->setEnvClient(glslang::EShClientVulkan, VulkanVersion(target));
    shader->setEnvTarget(glslang::EShTargetSpv, SpirvVersion(target));
    const auto messages = EShMessages(EShMsgSpvRules | EShMsgVulkanRules);
    constexpr int kDefaultVersion = 100; // as glslang's own tool reads a text without #version
    bool compiled = shader->parse(GetDefaultResources(), kDefaultVersion, false, messages);
    std::string log;
    AppendWithLineBreak(log, shader->getInfoLog());
    AppendWithLineBreak(log, shader->getInfoDebugLog());

    // The program outlives nothing it points to: it goes before the shader.
    std::string spirv;
    {
        glslang::TProgram program;
        program.addShader(shader.get());
        if (compiled) {
            compiled = program.link(messages);
            AppendWithLineBreak(log, program.getInfoLog());
            AppendWithLineBreak(log, program.getInfoDebugLog());
        }
        if (compiled && program.getIntermediate(language)) {
            std::vector<unsigned int> words;
            glslang::SpvOptions options;
            options.validate = false; // the SPIR-V validator runs as its own program
            glslang::GlslangToSpv(*program.getIntermediate(language), words, &options);
            spirv.assign(reinterpret_cast<const char*>(words.data()), words.size() * sizeof(unsigned int));
        }
    }
    ValidationResult result = Finished(stage, compiled, std::move(log));
    result.spirv = std::move(spirv);
    return result;
}

} // namespace

std::string VerdictLine(ShaderStage stage, bool compiled, int errors, int warnings)
{
    return std::string(StageTitle(stage)) + (compiled ? " shader compiled: " : " shader failed to compile: ")
        + Counted(errors, "error") + ", " + Counted(warnings, "warning") + ".";
}

ValidationResult ValidateShader(ShaderStage stage, const ShaderTarget& target, std::string_view text)
{
    if (target.api == TargetApi::Vulkan)
        return ValidateForVulkan(stage, target, text);

    // A target reads a text without #version as its own version; "#line" keeps the shader's
    // line numbers. A #version that says otherwise contradicts the target.
    if (const std::optional<std::string> contradiction = VersionContradiction(text, target))
        return Finished(stage, false, *contradiction + "\n");
    const std::string forTarget = TextForTarget(text, target);
    text = forTarget;

    const EShLanguage language = Language(stage);
    glslang::TShader shader(language);
    const char* strings[] = {text.empty() ? "" : text.data()};
    // glslang takes int lengths; a longer text is cut, which no real shader reaches.
    const int lengths[] = {text.size() > size_t(INT_MAX) ? INT_MAX : int(text.size())};
    shader.setStringsWithLengths(strings, lengths, 1);
    // No client and no target: the checks glslang's own tool makes without -G or -V.
    shader.setEnvInput(glslang::EShSourceGlsl, language, glslang::EShClientNone, 0);
    shader.setEnvClient(glslang::EShClientNone, glslang::EShTargetClientVersion(0));
    shader.setEnvTarget(glslang::EShTargetNone, glslang::EShTargetLanguageVersion(0));

    constexpr int kDefaultVersion = 110; // desktop GLSL 1.10 when the text has no #version
    const bool compiled = shader.parse(GetDefaultResources(), kDefaultVersion, ENoProfile,
                                       /*forceDefaultVersionAndProfile=*/false,
                                       /*forwardCompatible=*/false, EShMsgDefault);
    std::string log;
    AppendWithLineBreak(log, shader.getInfoLog());
    AppendWithLineBreak(log, shader.getInfoDebugLog());
    return Finished(stage, compiled, std::move(log));
}

void AddSpirvValidation(ValidationResult& result, ShaderStage stage, std::string_view output)
{
    // The verdict line is the log's last line; what the SPIR-V validator says goes before it.
    std::string log = result.log;
    const size_t verdict = log.rfind('\n', log.size() >= 2 ? log.size() - 2 : 0);
    log.resize(verdict == std::string::npos ? 0 : verdict + 1);
    bool failed = false;
    while (!output.empty()) {
        const size_t end = output.find('\n');
        const std::string_view line = output.substr(0, end);
        if (!line.empty()) {
            const bool error = StartsWith(line, "error:");
            failed = failed || error;
            log += std::string(error ? "ERROR: " : "WARNING: ") + "SPIR-V: " + std::string(line) + "\n";
        }
        if (end == std::string_view::npos)
            break;
        output.remove_prefix(end + 1);
    }
    result = Finished(stage, result.compiled && !failed, std::move(log));
}

ValidationResult UnreadableFileResult(ShaderStage stage, std::string_view file, std::string_view reason)
{
    ValidationResult result;
    result.errors = 1;
    result.log = "ERROR: cannot read " + std::string(file) + ": " + std::string(reason) + "\n";
    result.log += VerdictLine(stage, false, result.errors, result.warnings) + "\n";
    return result;
}
