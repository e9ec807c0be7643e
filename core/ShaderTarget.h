#pragma once

// What a shader is checked for: the target (the dialect and the API it ships to) and the stage.
// Plain C++, so the validator program can use it without Qt.
//
// A target is written
//   auto                   what the shader's #version says; desktop GLSL 1.10 without one
//   gl:VERSION[:core|:compat]   desktop GLSL 110 ... 460; 150 and later default to core
//   es:VERSION             OpenGL ES GLSL 100, 300, 310, 320
//   vulkan:1.0 ... vulkan:1.3   GLSL for Vulkan, checked down to valid SPIR-V

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TargetApi { Auto, OpenGL, OpenGLES, Vulkan };
enum class TargetProfile { None, Core, Compatibility };

struct ShaderTarget {
    TargetApi api = TargetApi::Auto;
    int version = 0; // GLSL version (110, 300, ...); for Vulkan 10 ... 13 for 1.0 ... 1.3
    TargetProfile profile = TargetProfile::None;

    bool operator==(const ShaderTarget&) const = default;
};

std::optional<ShaderTarget> ParseTarget(std::string_view text);
std::string TargetName(const ShaderTarget& target); // canonical: "gl:330:core", "es:300", "vulkan:1.2"

// Every target there is, in the order a chooser lists them (auto first).
std::vector<ShaderTarget> AllTargets();

// The targets "all" stands for: a spread of what shaders ship to.
const std::vector<ShaderTarget>& StandardTargets();

// The "#version ..." line a shader without one is read with on this target ("#version 330
// core", "#version 300 es"); empty for auto and Vulkan, which keep the shader's own handling.
std::string VersionLineFor(const ShaderTarget& target);

// The rule compilers follow for "#line N": in OpenGL ES and from GLSL 3.30 on, N numbers the
// next line; in desktop GLSL before 3.30 the next line is N + 1.
bool LineDirectiveNamesNextLine(const ShaderTarget& target);

// The error a shader's own #version gives on a target that says otherwise, in glslang's form
// ("ERROR: 0:1: '#version' : the shader says \"#version 330 core\", the target is es:300");
// nothing when they agree or the shader has no #version.
std::optional<std::string> VersionContradiction(std::string_view text, const ShaderTarget& target);

// The text a compiler gets for a target: a text without #version gets the target's #version
// line first and a "#line" that keeps its own line numbers; any other text is given as it is.
std::string TextForTarget(std::string_view text, const ShaderTarget& target);

// The #line rule of a text on a target: its own #version decides; without one, the target's
// version (desktop GLSL 1.10 on auto).
bool LineDirectiveNamesNextLine(std::string_view text, const ShaderTarget& target);

// The OpenGL (ES) context version a target needs, e.g. {3, 3} for gl:330, {2, 0} for es:100;
// {0, 0} for auto (whatever the driver gives) and Vulkan (no context applies).
struct ContextVersion {
    int major = 0;
    int minor = 0;
};
ContextVersion ContextVersionFor(const ShaderTarget& target);

enum class ShaderStage { Vertex, TessControl, TessEvaluation, Geometry, Fragment, Compute };
inline constexpr int kShaderStageCount = 6;

std::string_view StageName(ShaderStage stage);      // "vertex", "tesscontrol", ...
std::string_view StageExtension(ShaderStage stage); // "vert", "tesc", "tese", "geom", "frag", "comp"
std::optional<ShaderStage> ParseStage(std::string_view text); // a name or an extension

// The stage a file name says: "a.frag", also "a.frag.glsl"; nothing for "a.glsl".
std::optional<ShaderStage> StageFromFileName(std::string_view fileName);

// The stage "#pragma shader_stage(fragment)" names in the text, if any (the first such line).
std::optional<ShaderStage> StageFromPragma(std::string_view text);

// The #version directive a shader starts with: its line (1-based) and what follows "#version",
// blanks folded ("330 core", "300 es"). Comments and blank lines before it are skipped.
struct VersionDirective {
    int line = 0;
    int version = 0;
    std::string profile; // "", "core", "compatibility", "es"
};
std::optional<VersionDirective> FindVersionDirective(std::string_view text);

// Whether a shader's own #version says the same as the target (auto agrees with anything).
// A profile left out reads as GLSL does: core from 150 on for desktop, es for 300 and later.
bool VersionAgreesWithTarget(const VersionDirective& directive, const ShaderTarget& target);
