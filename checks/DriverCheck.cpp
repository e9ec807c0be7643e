#include "DriverCheck.h"

#include "GLBinding.h"
#include "GLTypes.h"
#include "GLContext.h"

#include <cstring>
#include <stdexcept>
#include <limits>
#include <vector>

namespace {

using namespace gltypes;

// The entry points a check calls, taken from the table right after activation.
struct ShaderObjectApi {
    GetStringProc getString = nullptr;
    CreateProgramObjectARBProc createProgramObject = nullptr;
    CreateShaderObjectARBProc createShaderObject = nullptr;
    ShaderSourceARBProc shaderSource = nullptr;
    CompileShaderARBProc compileShader = nullptr;
    AttachObjectARBProc attachObject = nullptr;
    LinkProgramARBProc linkProgram = nullptr;
    GetObjectParameterivARBProc getObjectParameteriv = nullptr;
    GetInfoLogARBProc getInfoLog = nullptr;
    DeleteObjectARBProc deleteObject = nullptr;

    static ShaderObjectApi FromTable()
    {
        ShaderObjectApi api;
        api.getString = EntryAs<GetStringProc>(GLEntries.glGetString);
        api.createProgramObject = EntryAs<CreateProgramObjectARBProc>(GLEntries.glCreateProgramObjectARB);
        api.createShaderObject = EntryAs<CreateShaderObjectARBProc>(GLEntries.glCreateShaderObjectARB);
        api.shaderSource = EntryAs<ShaderSourceARBProc>(GLEntries.glShaderSourceARB);
        api.compileShader = EntryAs<CompileShaderARBProc>(GLEntries.glCompileShaderARB);
        api.attachObject = EntryAs<AttachObjectARBProc>(GLEntries.glAttachObjectARB);
        api.linkProgram = EntryAs<LinkProgramARBProc>(GLEntries.glLinkProgramARB);
        api.getObjectParameteriv = EntryAs<GetObjectParameterivARBProc>(GLEntries.glGetObjectParameterivARB);
        api.getInfoLog = EntryAs<GetInfoLogARBProc>(GLEntries.glGetInfoLogARB);
        api.deleteObject = EntryAs<DeleteObjectARBProc>(GLEntries.glDeleteObjectARB);
        return api;
    }

    // Every entry point present and the context naming the extension: a loader may hand out
    // dispatch stubs for names the driver behind it does not implement, and a context that
    // did not become current lists no extensions at all.
    bool usable() const
    {
        return createProgramObject && createShaderObject && shaderSource && compileShader &&
               attachObject && linkProgram && getObjectParameteriv && getInfoLog && deleteObject &&
               HasExtensionFlag("GL_ARB_shader_objects");
    }
};

// Keeps the window's context current for one check and releases it on every way out,
// a failing step included.
class CurrentContext {
public:
    CurrentContext(void* dc, void* rc)
    {
        try {
            MakeGLContextCurrent(dc, rc);
        } catch (...) {
            ReleaseGLContext();
            throw;
        }
    }
    ~CurrentContext() { ReleaseGLContext(); }
    CurrentContext(const CurrentContext&) = delete;
    CurrentContext& operator=(const CurrentContext&) = delete;
};

// The objects a check created, deleted when the check ends.
class CheckObjects {
public:
    explicit CheckObjects(const ShaderObjectApi& api) : api_(api) {}
    ~CheckObjects()
    {
        for (auto it = handles_.rbegin(); it != handles_.rend(); ++it)
            if (*it != 0)
                api_.deleteObject(*it);
    }
    CheckObjects(const CheckObjects&) = delete;
    CheckObjects& operator=(const CheckObjects&) = delete;

    GLhandleARB keep(GLhandleARB handle)
    {
        handles_.push_back(handle);
        return handle;
    }

private:
    const ShaderObjectApi& api_;
    std::vector<GLhandleARB> handles_;
};

QString DriverText(const ShaderObjectApi& api, GLenum name)
{
    const GLubyte* text = api.getString ? api.getString(name) : nullptr;
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}

void AppendHeader(const ShaderObjectApi& api, QStringList& lines)
{
    const QString vendor = DriverText(api, GL_VENDOR);
    const QString renderer = DriverText(api, GL_RENDERER);
    const QString version = DriverText(api, GL_VERSION);
    lines.append(QStringLiteral("Output of current glSlang-Implementation (") + vendor +
                     QStringLiteral(" - ") + renderer + QStringLiteral(" - ") + version +
                     QStringLiteral(") :"));
}

// One string with its explicit length, then the compile.
void CompileShader(const ShaderObjectApi& api, GLhandleARB shader, const QStringList& lines)
{
    const std::string text = ShaderSourceText(lines);
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<GLint>::max()))
        throw std::length_error("shader text too long");
    const GLcharARB* source = text.c_str();
    const GLint length = static_cast<GLint>(text.size());
    api.shaderSource(shader, 1, &source, &length);
    api.compileShader(shader);
}

GLenum ShaderType(ShaderKind kind)
{
    return kind == ShaderKind::Vertex ? GL_VERTEX_SHADER_ARB : GL_FRAGMENT_SHADER_ARB;
}

// The opening and closing every check shares: the context current for the check's length,
// the header line, and the objects deleted whatever happens.
template <class Body>
DriverLog RunCheck(void* dc, void* rc, Body body)
{
    DriverLog log;
    CurrentContext current(dc, rc);
    const ShaderObjectApi api = ShaderObjectApi::FromTable();
    AppendHeader(api, log.lines);
    if (!api.usable()) {
        log.lines.append(QString::fromLatin1(kNoShaderObjectsLine));
        log.outcome = DriverOutcome::NoShaderObjects;
        return log;
    }
    CheckObjects objects(api);
    body(api, objects, log.lines);
    return log;
}

} // namespace

DriverLog CheckSingleShader(void* dc, void* rc, ShaderKind kind, const QStringList& pageLines)
{
    return RunCheck(dc, rc, [&](const ShaderObjectApi& api, CheckObjects& objects, QStringList& output) {
        const GLhandleARB program = objects.keep(api.createProgramObject());
        const GLhandleARB shader = objects.keep(api.createShaderObject(ShaderType(kind)));
        CompileShader(api, shader, pageLines);
        AddLogLines(ReadInfoLog(shader), output);
        api.attachObject(program, shader);
        api.linkProgram(program);
        AddLogLines(ReadInfoLog(program), output);
    });
}

DriverLog CheckLinkedShaders(void* dc, void* rc, const QStringList& vertexLines,
                             const QStringList& fragmentLines)
{
    return RunCheck(dc, rc, [&](const ShaderObjectApi& api, CheckObjects& objects, QStringList& output) {
        const GLhandleARB program = objects.keep(api.createProgramObject());
        const GLhandleARB fragmentShader = objects.keep(api.createShaderObject(GL_FRAGMENT_SHADER_ARB));
        const GLhandleARB vertexShader = objects.keep(api.createShaderObject(GL_VERTEX_SHADER_ARB));

        output.append(QStringLiteral("Vertex shader..."));
        CompileShader(api, vertexShader, vertexLines);
        AddLogLines(ReadInfoLog(vertexShader), output);

        output.append(QStringLiteral("Fragment shader..."));
        CompileShader(api, fragmentShader, fragmentLines);
        AddLogLines(ReadInfoLog(fragmentShader), output);

        output.append(QStringLiteral("Program object..."));
        api.attachObject(program, vertexShader);
        api.attachObject(program, fragmentShader);
        api.linkProgram(program);
        AddLogLines(ReadInfoLog(program), output);
    });
}

std::string ShaderSourceText(const QStringList& lines)
{
    qsizetype count = lines.size();
    if (count > 0 && lines.last().isEmpty())
        --count;
    QByteArray text;
    for (qsizetype i = 0; i < count; ++i) {
        text += lines[i].toUtf8();
        text += "\r\n";
    }
    return text.toStdString();
}

std::string ReadInfoLog(unsigned handle)
{
    auto getObjectParameteriv = EntryAs<GetObjectParameterivARBProc>(GLEntries.glGetObjectParameterivARB);
    auto getInfoLog = EntryAs<GetInfoLogARBProc>(GLEntries.glGetInfoLogARB);
    if (!getObjectParameteriv || !getInfoLog)
        return {};
    GLint length = 0;
    getObjectParameteriv(handle, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    // Below 2 the log holds at most its terminating zero.
    if (length < 2)
        return {};
    std::vector<char> buffer(static_cast<std::size_t>(length), '\0');
    GLsizei written = 0;
    getInfoLog(handle, length, &written, buffer.data());
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

void AddLogLines(const std::string& log, QStringList& lines)
{
    if (log.empty())
        return;
    std::string line;
    for (char c : log + '\n') {
        if (c == '\n') {
            lines.append(QString::fromUtf8(line));
            line.clear();
        } else {
            line += c;
        }
    }
}
