#include "ShaderTarget.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace {

constexpr std::array kDesktopVersions = {110, 120, 130, 140, 150, 330, 400, 410, 420, 430, 440, 450, 460};
constexpr std::array kEsVersions = {100, 300, 310, 320};

struct StageNames {
    ShaderStage stage;
    std::string_view name;
    std::string_view extension;
};
constexpr std::array<StageNames, kShaderStageCount> kStages = {{
    {ShaderStage::Vertex, "vertex", "vert"},
    {ShaderStage::TessControl, "tesscontrol", "tesc"},
    {ShaderStage::TessEvaluation, "tessevaluation", "tese"},
    {ShaderStage::Geometry, "geometry", "geom"},
    {ShaderStage::Fragment, "fragment", "frag"},
    {ShaderStage::Compute, "compute", "comp"},
}};

template <std::size_t N>
bool OneOf(const std::array<int, N>& values, int value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

std::optional<int> WholeNumber(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

std::optional<ShaderTarget> ParseTarget(std::string_view text)
{
    if (text == "auto")
        return ShaderTarget{};
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view api = text.substr(0, colon);
    std::string_view rest = text.substr(colon + 1);

    if (api == "vulkan") {
        for (int minor = 0; minor <= 3; ++minor)
            if (rest == "1." + std::to_string(minor))
                return ShaderTarget{TargetApi::Vulkan, 10 + minor, TargetProfile::None};
        return std::nullopt;
    }
    const size_t second = rest.find(':');
    const std::string_view profileText = second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);
    const std::optional<int> version = WholeNumber(rest.substr(0, second));
    if (!version)
        return std::nullopt;
    if (api == "es") {
        if (second != std::string_view::npos || !OneOf(kEsVersions, *version))
            return std::nullopt;
        return ShaderTarget{TargetApi::OpenGLES, *version, TargetProfile::None};
    }
    if (api != "gl" || !OneOf(kDesktopVersions, *version))
        return std::nullopt;
    ShaderTarget target{TargetApi::OpenGL, *version, TargetProfile::None};
    if (*version >= 150)
        target.profile = TargetProfile::Core;
    if (second == std::string_view::npos)
        return target;
    if (*version < 150)
        return std::nullopt; // profiles came with GLSL 1.50
    if (profileText == "core")
        target.profile = TargetProfile::Core;
    else if (profileText == "compat" || profileText == "compatibility")
        target.profile = TargetProfile::Compatibility;
    else
        return std::nullopt;
    return target;
}

std::string TargetName(const ShaderTarget& target)
{
    switch (target.api) {
    case TargetApi::Auto:
        return "auto";
    case TargetApi::Vulkan:
        return "vulkan:1." + std::to_string(target.version - 10);
    case TargetApi::OpenGLES:
        return "es:" + std::to_string(target.version);
    case TargetApi::OpenGL:
        break;
    }
    std::string name = "gl:" + std::to_string(target.version);
    if (target.profile == TargetProfile::Core)
        name += ":core";
    else if (target.profile == TargetProfile::Compatibility)
        name += ":compat";
    return name;
}

std::vector<ShaderTarget> AllTargets()
{
    std::vector<ShaderTarget> all{ShaderTarget{}};
    for (int version : kDesktopVersions) {
        if (version < 150) {
            all.push_back({TargetApi::OpenGL, version, TargetProfile::None});
        } else {
            all.push_back({TargetApi::OpenGL, version, TargetProfile::Core});
            all.push_back({TargetApi::OpenGL, version, TargetProfile::Compatibility});
        }
    }
    for (int version : kEsVersions)
        all.push_back({TargetApi::OpenGLES, version, TargetProfile::None});
    for (int minor = 0; minor <= 3; ++minor)
        all.push_back({TargetApi::Vulkan, 10 + minor, TargetProfile::None});
    return all;
}

const std::vector<ShaderTarget>& StandardTargets()
{
    static const std::vector<ShaderTarget> targets = [] {
        std::vector<ShaderTarget> list;
        for (const char* name : {"gl:110", "gl:120", "gl:130", "gl:150:core", "gl:330:core", "gl:450:core", "es:100",
                                 "es:300", "es:310", "es:320", "vulkan:1.0", "vulkan:1.3"})
            list.push_back(*ParseTarget(name));
        return list;
    }();
    return targets;
}

std::string VersionLineFor(const ShaderTarget& target)
{
    switch (target.api) {
    case TargetApi::Auto:
    case TargetApi::Vulkan:
        return {};
    case TargetApi::OpenGLES:
        return "#version " + std::to_string(target.version) + (target.version >= 300 ? " es" : "");
    case TargetApi::OpenGL:
        break;
    }
    std::string line = "#version " + std::to_string(target.version);
    if (target.profile == TargetProfile::Core)
        line += " core";
    else if (target.profile == TargetProfile::Compatibility)
        line += " compatibility";
    return line;
}

bool LineDirectiveNamesNextLine(const ShaderTarget& target)
{
    return target.api == TargetApi::OpenGLES || target.version >= 330;
}

std::optional<std::string> VersionContradiction(std::string_view text, const ShaderTarget& target)
{
    if (target.api == TargetApi::Auto || target.api == TargetApi::Vulkan)
        return std::nullopt;
    const std::optional<VersionDirective> own = FindVersionDirective(text);
    if (!own || VersionAgreesWithTarget(*own, target))
        return std::nullopt;
    const std::string said = "#version " + std::to_string(own->version) + (own->profile.empty() ? "" : " ") + own->profile;
    return "ERROR: 0:" + std::to_string(own->line) + ": '#version' : the shader says \"" + said + "\", the target is "
         + TargetName(target);
}

std::string TextForTarget(std::string_view text, const ShaderTarget& target)
{
    const std::string versionLine = VersionLineFor(target);
    if (versionLine.empty() || FindVersionDirective(text))
        return std::string(text);
    return versionLine + "\n#line " + (LineDirectiveNamesNextLine(target) ? "1" : "0") + "\n" + std::string(text);
}

bool LineDirectiveNamesNextLine(std::string_view text, const ShaderTarget& target)
{
    if (const std::optional<VersionDirective> own = FindVersionDirective(text))
        return own->profile == "es" || own->version == 100 || own->version >= 330;
    if (target.api == TargetApi::Auto || target.api == TargetApi::Vulkan)
        return target.api == TargetApi::Vulkan;
    return LineDirectiveNamesNextLine(target);
}

ContextVersion ContextVersionFor(const ShaderTarget& target)
{
    const int v = target.version;
    switch (target.api) {
    case TargetApi::Auto:
    case TargetApi::Vulkan:
        return {};
    case TargetApi::OpenGLES:
        return v == 100 ? ContextVersion{2, 0} : ContextVersion{v / 100, (v % 100) / 10};
    case TargetApi::OpenGL:
        break;
    }
    switch (v) {
    case 110: return {2, 0};
    case 120: return {2, 1};
    case 130: return {3, 0};
    case 140: return {3, 1};
    case 150: return {3, 2};
    default: return {v / 100, (v % 100) / 10};
    }
}

std::string_view StageName(ShaderStage stage)
{
    return kStages[size_t(stage)].name;
}

std::string_view StageExtension(ShaderStage stage)
{
    return kStages[size_t(stage)].extension;
}

std::optional<ShaderStage> ParseStage(std::string_view text)
{
    const std::string lower = Lower(text);
    if (lower == "tesseval")
        return ShaderStage::TessEvaluation;
    for (const StageNames& s : kStages)
        if (lower == s.name || lower == s.extension)
            return s.stage;
    return std::nullopt;
}

std::optional<ShaderStage> StageFromFileName(std::string_view fileName)
{
    const size_t slash = fileName.find_last_of('/');
    std::string name = Lower(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
    if (name.size() > 5 && name.ends_with(".glsl"))
        name.resize(name.size() - 5);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return std::nullopt;
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    for (const StageNames& s : kStages)
        if (extension == s.extension)
            return s.stage;
    return std::nullopt;
}

std::optional<ShaderStage> StageFromPragma(std::string_view text)
{
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        size_t i = 0;
        const auto skipBlanks = [&] {
            while (i < line.size() && IsBlank(line[i]))
                ++i;
        };
        const auto take = [&](std::string_view word) {
            skipBlanks();
            if (line.substr(i, word.size()) != word)
                return false;
            i += word.size();
            return true;
        };
        if (!take("#") || !take("pragma") || !take("shader_stage") || !take("("))
            continue;
        skipBlanks();
        const size_t close = line.find(')', i);
        if (close == std::string_view::npos)
            continue;
        std::string_view name = line.substr(i, close - i);
        while (!name.empty() && IsBlank(name.back()))
            name.remove_suffix(1);
        if (const std::optional<ShaderStage> stage = ParseStage(name))
            return stage;
    }
    return std::nullopt;
}

std::optional<VersionDirective> FindVersionDirective(std::string_view text)
{
    int line = 1;
    size_t i = 0;
    // Blanks, line breaks and comments may come before the directive.
    while (i < text.size()) {
        if (text[i] == '\n') {
            ++line;
            ++i;
        } else if (IsBlank(text[i])) {
            ++i;
        } else if (text.substr(i, 2) == "//") {
            i = text.find('\n', i);
            if (i == std::string_view::npos)
                return std::nullopt;
        } else if (text.substr(i, 2) == "/*") {
            const size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos)
                return std::nullopt;
            line += int(std::count(text.begin() + std::ptrdiff_t(i), text.begin() + std::ptrdiff_t(end), '\n'));
            i = end + 2;
        } else {
            break;
        }
    }
    if (i >= text.size() || text[i] != '#')
        return std::nullopt;
    ++i;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (text.substr(i, 7) != "version")
        return std::nullopt;
    i += 7;
    const size_t end = std::min(text.find('\n', i), text.size());
    std::string_view rest = text.substr(i, end - i);
    // The number, then an optional profile word; a comment may end the line.
    if (const size_t comment = rest.find("//"); comment != std::string_view::npos)
        rest = rest.substr(0, comment);
    std::vector<std::string_view> words;
    size_t w = 0;
    while (w < rest.size()) {
        while (w < rest.size() && IsBlank(rest[w]))
            ++w;
        const size_t start = w;
        while (w < rest.size() && !IsBlank(rest[w]))
            ++w;
        if (w > start)
            words.push_back(rest.substr(start, w - start));
    }
    if (words.empty() || words.size() > 2)
        return std::nullopt;
    const std::optional<int> version = WholeNumber(words[0]);
    if (!version)
        return std::nullopt;
    return VersionDirective{line, *version, words.size() == 2 ? std::string(words[1]) : std::string()};
}

bool VersionAgreesWithTarget(const VersionDirective& directive, const ShaderTarget& target)
{
    switch (target.api) {
    case TargetApi::Auto:
    case TargetApi::Vulkan:
        return true;
    case TargetApi::OpenGLES:
        if (directive.version != target.version)
            return false;
        return target.version == 100 ? directive.profile.empty() : directive.profile == "es";
    case TargetApi::OpenGL:
        break;
    }
    if (directive.version != target.version || directive.profile == "es")
        return false;
    if (target.version < 150)
        return directive.profile.empty();
    const TargetProfile said = directive.profile == "compatibility" ? TargetProfile::Compatibility
                               : directive.profile.empty() || directive.profile == "core"
                                   ? TargetProfile::Core
                                   : TargetProfile::None;
    return said == target.profile;
}
