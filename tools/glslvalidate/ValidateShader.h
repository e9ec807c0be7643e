#pragma once

#include "ShaderTarget.h"

#include <string>
#include <string_view>

struct ValidationResult {
    bool compiled = false;
    int errors = 0;
    int warnings = 0;
    std::string log; // glslang's messages followed by our verdict line, LF line ends
    std::string spirv; // for Vulkan targets: the SPIR-V module, once the shader compiled
};

// Compiles one shader text with glslang for a target. glslang::InitializeProcess must have
// been called.
//   auto: desktop GLSL; text without #version is GLSL 1.10, a #version line (ES included) is
//         honoured. No client API and no code generation, so only the language rules apply.
//   gl, es: a text without #version is read as the target's version (line numbers unchanged);
//         a #version that says something else is an error naming both.
//   vulkan: Vulkan's rules for the target environment, linked and turned into SPIR-V.
ValidationResult ValidateShader(ShaderStage stage, const ShaderTarget& target, std::string_view text);

// The log for a shader file that could not be read, e.g. "No such file or directory".
ValidationResult UnreadableFileResult(ShaderStage stage, std::string_view file, std::string_view reason);

// Adds what a SPIR-V validator said (its lines, LF-ended) to the result: "error:" lines count
// as errors and fail the shader, others as warnings.
void AddSpirvValidation(ValidationResult& result, ShaderStage stage, std::string_view output);

// "Vertex shader compiled: 0 errors, 1 warning." or "Fragment shader failed to compile: ...".
std::string VerdictLine(ShaderStage stage, bool compiled, int errors, int warnings);
