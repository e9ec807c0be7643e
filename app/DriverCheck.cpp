#include "DriverCheck.h"

#include "GLBinding.h"
#include "GLTypes.h"
#include "OutputPanel.h"
#include "GLContext.h"

#include <QTextBlock>
#include <QTextDocument>

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

void AppendHeader(const ShaderObjectApi& api, OutputPanel& panel)
{
    const QString vendor = DriverText(api, GL_VENDOR);
    const QString renderer = DriverText(api, GL_RENDERER);
    const QString version = DriverText(api, GL_VERSION);
    panel.appendLine(QStringLiteral("Output of current glSlang-Implementation (") + vendor +
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

// The opening and closing every check shares: the panel cleared, the context current for
// the check's length, the header line, and the objects deleted whatever happens.
template <class Body>
void RunCheck(void* dc, void* rc, OutputPanel& panel, Body body)
{
    panel.clearLines();
    CurrentContext current(dc, rc);
    const ShaderObjectApi api = ShaderObjectApi::FromTable();
    AppendHeader(api, panel);
    if (!api.usable()) {
        panel.appendLine(QString::fromLatin1(kNoShaderObjectsLine));
        return;
    }
    CheckObjects objects(api);
    body(api, objects);
}

} // namespace

void CheckSingleShader(void* dc, void* rc, ShaderKind kind, const QStringList& pageLines,
                       OutputPanel& panel)
{
    RunCheck(dc, rc, panel, [&](const ShaderObjectApi& api, CheckObjects& objects) {
        const GLhandleARB program = objects.keep(api.createProgramObject());
        const GLhandleARB shader = objects.keep(api.createShaderObject(ShaderType(kind)));
        CompileShader(api, shader, pageLines);
        AddLogLines(ReadInfoLog(shader), panel);
        api.attachObject(program, shader);
        api.linkProgram(program);
        AddLogLines(ReadInfoLog(program), panel);
    });
}

void CheckLinkedShaders(void* dc, void* rc, const QStringList& vertexLines,
                        const QStringList& fragmentLines, OutputPanel& panel)
{
    RunCheck(dc, rc, panel, [&](const ShaderObjectApi& api, CheckObjects& objects) {
        const GLhandleARB program = objects.keep(api.createProgramObject());
        const GLhandleARB fragmentShader = objects.keep(api.createShaderObject(GL_FRAGMENT_SHADER_ARB));
        const GLhandleARB vertexShader = objects.keep(api.createShaderObject(GL_VERTEX_SHADER_ARB));

        panel.appendLine(QStringLiteral("Vertex shader..."));
        CompileShader(api, vertexShader, vertexLines);
        AddLogLines(ReadInfoLog(vertexShader), panel);

        panel.appendLine(QStringLiteral("Fragment shader..."));
        CompileShader(api, fragmentShader, fragmentLines);
        AddLogLines(ReadInfoLog(fragmentShader), panel);

        panel.appendLine(QStringLiteral("Program object..."));
        api.attachObject(program, vertexShader);
        api.attachObject(program, fragmentShader);
        api.linkProgram(program);
        AddLogLines(ReadInfoLog(program), panel);
    });
}

QStringList DocumentLines(const QTextDocument& document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // A soft line break (Shift+Return) inside a block is a line break to the reader too.
        lines.append(block.text().split(QChar::LineSeparator));
    }
    return lines;
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

void AddLogLines(const std::string& log, OutputPanel& panel)
{
    if (log.empty())
        return;
    std::string line;
    for (char c : log + '\n') {
        if (c == '\n') {
            panel.appendLine(QString::fromUtf8(line));
            line.clear();
        } else {
            line += c;
        }
    }
}
