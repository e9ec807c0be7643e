#include "TargetDriverCheck.h"

#include "GLBinding.h"
#include "GLContext.h"
#include "IncludeExpander.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

using GLenum = unsigned int;
using GLuint = unsigned int;
using GLint = int;
using GLsizei = int;
using GLchar = char;

constexpr GLenum kVersion = 0x1F02;
constexpr GLenum kVendor = 0x1F00;
constexpr GLenum kRenderer = 0x1F01;
constexpr GLenum kInfoLogLength = 0x8B84;

// The OpenGL 2.0 shader entry points: in core profiles and OpenGL ES the ARB objects are gone.
struct ShaderApi {
    const unsigned char* (*getString)(GLenum) = nullptr;
    GLuint (*createShader)(GLenum) = nullptr;
    void (*shaderSource)(GLuint, GLsizei, const GLchar* const*, const GLint*) = nullptr;
    void (*compileShader)(GLuint) = nullptr;
    void (*getShaderiv)(GLuint, GLenum, GLint*) = nullptr;
    void (*getShaderInfoLog)(GLuint, GLsizei, GLsizei*, GLchar*) = nullptr;
    GLuint (*createProgram)() = nullptr;
    void (*attachShader)(GLuint, GLuint) = nullptr;
    void (*linkProgram)(GLuint) = nullptr;
    void (*getProgramiv)(GLuint, GLenum, GLint*) = nullptr;
    void (*getProgramInfoLog)(GLuint, GLsizei, GLsizei*, GLchar*) = nullptr;
    void (*deleteShader)(GLuint) = nullptr;
    void (*deleteProgram)(GLuint) = nullptr;

    template <class F>
    static void Look(F& function, const char* name)
    {
        function = reinterpret_cast<F>(LookupGLEntry(name));
    }

    static ShaderApi Load()
    {
        ShaderApi api;
        Look(api.getString, "glGetString");
        Look(api.createShader, "glCreateShader");
        Look(api.shaderSource, "glShaderSource");
        Look(api.compileShader, "glCompileShader");
        Look(api.getShaderiv, "glGetShaderiv");
        Look(api.getShaderInfoLog, "glGetShaderInfoLog");
        Look(api.createProgram, "glCreateProgram");
        Look(api.attachShader, "glAttachShader");
        Look(api.linkProgram, "glLinkProgram");
        Look(api.getProgramiv, "glGetProgramiv");
        Look(api.getProgramInfoLog, "glGetProgramInfoLog");
        Look(api.deleteShader, "glDeleteShader");
        Look(api.deleteProgram, "glDeleteProgram");
        return api;
    }

    bool usable() const
    {
        return getString && createShader && shaderSource && compileShader && getShaderiv && getShaderInfoLog
            && createProgram && attachShader && linkProgram && getProgramiv && getProgramInfoLog && deleteShader
            && deleteProgram;
    }
};

GLenum ShaderType(ShaderStage stage)
{
    switch (stage) {
    case ShaderStage::Vertex: return 0x8B31;
    case ShaderStage::TessControl: return 0x8E88;
    case ShaderStage::TessEvaluation: return 0x8E87;
    case ShaderStage::Geometry: return 0x8DD9;
    case ShaderStage::Fragment: return 0x8B30;
    case ShaderStage::Compute: return 0x91B9;
    }
    return 0x8B31;
}

QString DriverText(const ShaderApi& api, GLenum name)
{
    const unsigned char* text = api.getString(name);
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}

template <class GetLength, class GetLog>
std::string InfoLog(GLuint object, GetLength getLength, GetLog getLog)
{
    GLint length = 0;
    getLength(object, kInfoLogLength, &length);
    if (length < 2)
        return {};
    std::vector<char> buffer(size_t(length), '\0');
    GLsizei written = 0;
    getLog(object, length, &written, buffer.data());
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

// The context made for the target, current for the check's length and deleted after it.
class TargetContext {
public:
    TargetContext(void* dc, const ShaderTarget& target) : dc_(dc)
    {
        const ContextVersion version = ContextVersionFor(target);
        ContextRequest request;
        request.api = target.api == TargetApi::OpenGLES ? ContextApi::OpenGLES : ContextApi::OpenGL;
        request.major = version.major;
        request.minor = version.minor;
        if (target.profile == TargetProfile::Core)
            request.profile = ContextProfile::Core;
        else if (target.profile == TargetProfile::Compatibility)
            request.profile = ContextProfile::Compatibility;
        rc_ = CreateRequestedContext(dc, request);
        if (rc_)
            MakeGLContextCurrent(dc_, rc_);
    }
    ~TargetContext()
    {
        if (rc_) {
            ReleaseGLContext();
            DeleteGLContext(rc_);
        }
    }
    TargetContext(const TargetContext&) = delete;
    TargetContext& operator=(const TargetContext&) = delete;

    bool made() const { return rc_ != nullptr; }

private:
    void* dc_;
    void* rc_ = nullptr;
};

QString ContextName(const ShaderTarget& target)
{
    const ContextVersion v = ContextVersionFor(target);
    QString name = target.api == TargetApi::OpenGLES ? QStringLiteral("OpenGL ES") : QStringLiteral("OpenGL");
    if (v.major > 0)
        name += QStringLiteral(" %1.%2").arg(v.major).arg(v.minor);
    if (target.profile == TargetProfile::Core)
        name += QStringLiteral(" core");
    else if (target.profile == TargetProfile::Compatibility)
        name += QStringLiteral(" compatibility");
    return name;
}

// Whether a program of this one stage may be linked: OpenGL ES links a compute shader alone and
// nothing else, and no API links a lone tessellation or geometry stage.
bool LinksAlone(const ShaderTarget& target, ShaderStage stage)
{
    if (stage == ShaderStage::Compute)
        return true;
    if (target.api == TargetApi::OpenGLES)
        return false;
    return stage == ShaderStage::Vertex || stage == ShaderStage::Fragment;
}

} // namespace

QString TargetLine(const ShaderTarget& target)
{
    return QStringLiteral("Target: ") + QString::fromStdString(TargetName(target));
}

QString StageHeading(ShaderStage stage)
{
    static const char* const headings[] = {"Vertex shader...",  "Tessellation control shader...",
                                           "Tessellation evaluation shader...", "Geometry shader...",
                                           "Fragment shader...", "Compute shader..."};
    return QString::fromLatin1(headings[int(stage)]);
}

DriverLog CheckForTarget(void* dc, const ShaderTarget& target, const QList<StageSource>& sources, bool link)
{
    DriverLog log;
    const QString name = QString::fromStdString(TargetName(target));
    if (target.api == TargetApi::Vulkan) {
        log.outcome = DriverOutcome::NotApplicable;
        log.lines = {QStringLiteral("Target %1: the driver check does not apply; the validator checks Vulkan "
                                    "shaders down to SPIR-V.").arg(name)};
        return log;
    }
    TargetContext context(dc, target);
    if (!context.made()) {
        log.outcome = DriverOutcome::NoContext;
        log.lines = {QStringLiteral("Target %1: the OpenGL driver offers no %2 context; the driver check cannot run.")
                         .arg(name, ContextName(target))};
        return log;
    }
    const ShaderApi api = ShaderApi::Load();
    if (!api.usable()) {
        log.outcome = DriverOutcome::NoShaderObjects;
        log.lines = {QString::fromLatin1(kNoShaderObjectsLine)};
        return log;
    }
    log.lines.append(QStringLiteral("Output of current glSlang-Implementation (") + DriverText(api, kVendor)
                     + QStringLiteral(" - ") + DriverText(api, kRenderer) + QStringLiteral(" - ")
                     + DriverText(api, kVersion) + QStringLiteral(") :"));
    log.lines.append(TargetLine(target));

    std::vector<GLuint> shaders;
    const GLuint program = api.createProgram();
    for (const StageSource& source : sources) {
        if (sources.size() > 1)
            log.lines.append(StageHeading(source.stage));
        const GLuint shader = api.createShader(ShaderType(source.stage));
        shaders.push_back(shader);
        const std::string sourceText = ShaderSourceText(source.lines);
        // The driver may well compile another version in the context it gave; the target
        // still says no, as the validator does.
        if (const std::optional<std::string> contradiction = VersionContradiction(sourceText, target)) {
            log.lines.append(QString::fromStdString(*contradiction));
            continue;
        }
        const std::string text = TextForTarget(sourceText, target);
        if (text.size() > size_t(std::numeric_limits<GLint>::max()))
            throw std::length_error("shader text too long");
        const GLchar* string = text.c_str();
        const GLint length = GLint(text.size());
        api.shaderSource(shader, 1, &string, &length);
        api.compileShader(shader);
        const qsizetype first = log.lines.size();
        AddLogLines(InfoLog(shader, api.getShaderiv, api.getShaderInfoLog), log.lines);
        for (qsizetype i = first; i < log.lines.size(); ++i)
            log.lines[i] = MapLogLine(log.lines[i], source.expansion);
        api.attachShader(program, shader);
    }
    if (link || (sources.size() == 1 && LinksAlone(target, sources.first().stage))) {
        if (sources.size() > 1)
            log.lines.append(QStringLiteral("Program object..."));
        api.linkProgram(program);
        AddLogLines(InfoLog(program, api.getProgramiv, api.getProgramInfoLog), log.lines);
    }
    for (GLuint shader : shaders)
        api.deleteShader(shader);
    api.deleteProgram(program);
    return log;
}
