#pragma once

#include <string>
#include <string_view>

// The two stages the validator knows, with the names its log uses.
enum class ShaderStage { Vertex, Fragment };

struct ValidationResult {
    bool compiled = false;
    int errors = 0;
    int warnings = 0;
    std::string log; // glslang's messages followed by our verdict line, LF line ends
};

// Compiles one shader text with glslang as desktop GLSL: text without #version is GLSL 1.10,
// a #version line (ES included) is honoured. No client API and no code generation, so only
// the language rules apply. glslang::InitializeProcess must have been called.
ValidationResult ValidateShader(ShaderStage stage, std::string_view text);

// The log for a shader file that could not be read, e.g. "No such file or directory".
ValidationResult UnreadableFileResult(ShaderStage stage, std::string_view file, std::string_view reason);

// "Vertex shader compiled: 0 errors, 1 warning." or "Fragment shader failed to compile: ...".
std::string VerdictLine(ShaderStage stage, bool compiled, int errors, int warnings);
