// Targets and stages as users write them, and what a shader's own #version says.
#include "ShaderTarget.h"

#include <gtest/gtest.h>

namespace {

TEST(ShaderTarget, WrittenFormsAndTheirCanonicalNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"auto", "auto"},           {"gl:110", "gl:110"},           {"gl:140", "gl:140"},
        {"gl:150", "gl:150:core"},  {"gl:330:compat", "gl:330:compat"}, {"gl:460:compatibility", "gl:460:compat"},
        {"es:100", "es:100"},       {"es:320", "es:320"},           {"vulkan:1.3", "vulkan:1.3"},
        // Not targets:
        {"gl:130:core", nullptr},   {"gl:331", nullptr},            {"gl:330:es", nullptr},
        {"es:300:core", nullptr},   {"es:200", nullptr},            {"vulkan:1.4", nullptr},
        {"vulkan", nullptr},        {"GL:330", nullptr},            {"", nullptr},
        {"gl:", nullptr},           {"gl:330:", nullptr},
    };
    for (const auto& [text, canonical] : cases) {
        const std::optional<ShaderTarget> target = ParseTarget(text);
        ASSERT_EQ(target.has_value(), canonical != nullptr) << text;
        if (target) {
            EXPECT_EQ(TargetName(*target), canonical) << text;
            EXPECT_EQ(ParseTarget(TargetName(*target)), target) << text;
        }
    }
}

TEST(ShaderTarget, TextWithoutVersionKeepsItsLineNumbers)
{
    // ES and GLSL 3.30 on number the line after "#line N" N; desktop GLSL before 3.30 N + 1.
    EXPECT_EQ(TextForTarget("x\n", *ParseTarget("gl:330")), "#version 330 core\n#line 1\nx\n");
    EXPECT_EQ(TextForTarget("x\n", *ParseTarget("gl:120")), "#version 120\n#line 0\nx\n");
    EXPECT_EQ(TextForTarget("x\n", *ParseTarget("es:100")), "#version 100\n#line 1\nx\n");
    EXPECT_EQ(TextForTarget("x\n", *ParseTarget("es:300")), "#version 300 es\n#line 1\nx\n");
    EXPECT_EQ(TextForTarget("x\n", ShaderTarget{}), "x\n");
    EXPECT_EQ(TextForTarget("#version 130\nx\n", *ParseTarget("gl:130")), "#version 130\nx\n");
}

struct VersionCase {
    const char* text;
    const char* target;
    bool contradicts;
};

TEST(ShaderTarget, OwnVersionAgainstTheTarget)
{
    const VersionCase cases[] = {
        {"#version 330\n", "gl:330:core", false},
        {"#version 330 core\n", "gl:330:core", false},
        {"#version 330 compatibility\n", "gl:330:core", true},
        {"#version 330 compatibility\n", "gl:330:compat", false},
        {"// header\n/* a\n b */\n  #  version 450 core // note\n", "gl:450:core", false},
        {"#version 450\n", "gl:330:core", true},
        {"#version 300 es\n", "es:300", false},
        {"#version 300\n", "es:300", true},
        {"#version 100\n", "es:100", false},
        {"#version 100\n", "gl:110", true},
        {"#version 120\n", "gl:120", false},
        {"#version 310 es\n", "gl:330:core", true},
        {"#version 460\n", "vulkan:1.2", false},
        {"#version 110\n", "auto", false},
        {"void main() {}\n", "gl:330:core", false},
        {"#define X\n#version 330\n", "gl:150", false}, // not first: no #version of the shader's own
    };
    for (const VersionCase& c : cases)
        EXPECT_EQ(VersionContradiction(c.text, *ParseTarget(c.target)).has_value(), c.contradicts)
            << c.text << " on " << c.target;
    EXPECT_EQ(*VersionContradiction("\n\n#version 450\n", *ParseTarget("gl:330:core")),
              "ERROR: 0:3: '#version' : the shader says \"#version 450\", the target is gl:330:core");
}

TEST(ShaderStage, FromTheFileNameOrThePragma)
{
    const std::pair<const char*, std::optional<ShaderStage>> names[] = {
        {"a.vert", ShaderStage::Vertex},           {"dir.frag/a.tesc", ShaderStage::TessControl},
        {"a.TESE", ShaderStage::TessEvaluation},   {"a.geom.glsl", ShaderStage::Geometry},
        {"lib/a.frag.glsl", ShaderStage::Fragment}, {"a.comp", ShaderStage::Compute},
        {"a.glsl", std::nullopt},                  {"frag", std::nullopt},
        {".frag", std::nullopt},                   {"a.vs", std::nullopt},
    };
    for (const auto& [name, stage] : names)
        EXPECT_EQ(StageFromFileName(name), stage) << name;

    const std::pair<const char*, std::optional<ShaderStage>> pragmas[] = {
        {"#pragma shader_stage(fragment)\n", ShaderStage::Fragment},
        {"void f();\n  #  pragma  shader_stage( compute )\n", ShaderStage::Compute},
        {"#pragma shader_stage(tesseval)\n", ShaderStage::TessEvaluation},
        {"#pragma shader_stage(pixel)\n", std::nullopt},
        {"// #pragma shader_stage(vertex)\n", std::nullopt},
        {"#pragma optimize(on)\n", std::nullopt},
    };
    for (const auto& [text, stage] : pragmas)
        EXPECT_EQ(StageFromPragma(text), stage) << text;
}

} // namespace
