#include "ShaderGenerator.h"

#include <array>
#include <random>
#include <string>

namespace {

constexpr std::array kTypes = {"float", "vec2", "vec3", "vec4", "mat3", "mat4", "int", "bool", "ivec2"};
constexpr std::array kQualifiers = {"uniform", "varying", "const", "attribute", "in", "out"};
constexpr std::array kCalls = {"texture2D", "normalize", "dot",  "cross", "mix",  "clamp",  "pow",
                               "max",       "min",       "sin",  "cos",   "reflect", "length", "smoothstep",
                               "abs",       "fract",     "step", "sqrt",  "exp2", "inversesqrt"};
constexpr std::array kStateVars = {"gl_FragColor", "gl_TexCoord[0]", "gl_ModelViewMatrix", "gl_NormalMatrix",
                                   "gl_FragCoord", "gl_Color", "gl_LightSource[0].position", "gl_FrontMaterial"};
constexpr std::array kNames = {"colour", "normal", "light", "eye", "uv", "shade", "rim", "base", "gloss",
                               "tint", "fog", "depth", "albedo", "view", "halfVec", "k"};
constexpr std::array kComments = {"// tone map before the gamma step",
                                  "// light falls off with the square of the distance",
                                  "// vec4 here would waste a register",
                                  "// TODO: clamp before normalize()"};

class Writer {
public:
    explicit Writer(unsigned seed) : random_(seed) {}

    template <size_t N>
    const char* pick(const std::array<const char*, N>& words)
    {
        return words[std::uniform_int_distribution<size_t>(0, N - 1)(random_)];
    }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string name() { return std::string(pick(kNames)) + std::to_string(below(10)); }

    std::string expression(int depth)
    {
        switch (depth > 2 ? 3 : below(4)) {
        case 0:
            return std::string(pick(kCalls)) + "(" + expression(depth + 1) + ", " + expression(depth + 1) + ")";
        case 1:
            return std::string(pick(kTypes)) + "(" + expression(depth + 1) + ")";
        case 2:
            return std::string(pick(kStateVars)) + ".xyz * " + name();
        default:
            return below(2) ? name() : std::to_string(below(100)) + "." + std::to_string(below(10));
        }
    }

    std::string line()
    {
        std::string text;
        switch (below(8)) {
        case 0:
            text = std::string(pick(kQualifiers)) + " " + pick(kTypes) + " " + name() + ";";
            break;
        case 1:
            text = "    " + std::string(pick(kStateVars)) + " = " + expression(0) + ";";
            break;
        case 2:
            text = "    " + std::string(pick(kTypes)) + " " + name() + " = " + expression(1) + ";";
            break;
        default:
            text = "    " + name() + " += " + expression(0) + " * " + expression(1) + ";";
            break;
        }
        if (below(3) == 0)
            text += std::string(" ") + pick(kComments);
        return text;
    }

    std::string longLine()
    {
        std::string text = "    " + name() + " = ";
        const int target = 2000 + below(3000);
        while (int(text.size()) < target)
            text += expression(0) + " + ";
        return text + "0.0; // a long generated sum";
    }

private:
    std::mt19937 random_;
};

} // namespace

QByteArray GenerateShader(int lines, unsigned seed)
{
    Writer writer(seed);
    std::string out;
    out.reserve(size_t(lines) * 90);
    for (int i = 0; i < lines; ++i) {
        if (i % 500 == 499)
            out += writer.longLine();
        else if (i % 40 == 0)
            out += "void f" + std::to_string(i) + "() { // block " + std::to_string(i / 40);
        else if (i % 40 == 39)
            out += "}";
        else
            out += writer.line();
        out += '\n';
    }
    return QByteArray::fromStdString(out);
}
