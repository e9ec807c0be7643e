#pragma once

// The few OpenGL and GLU types and constants the program calls with, spelt out here so that no
// OpenGL header (which would declare functions the program must not link) is needed.

#include <cstdint>

namespace gltypes {

using GLenum = std::uint32_t;
using GLint = std::int32_t;
using GLsizei = std::int32_t;
using GLubyte = std::uint8_t;
using GLcharARB = char;
using GLhandleARB = std::uint32_t; // unsigned int everywhere but Apple

inline constexpr GLenum GL_VENDOR = 0x1F00;
inline constexpr GLenum GL_RENDERER = 0x1F01;
inline constexpr GLenum GL_VERSION = 0x1F02;
inline constexpr GLenum GL_EXTENSIONS = 0x1F03;
inline constexpr GLenum GL_FRAGMENT_SHADER_ARB = 0x8B30;
inline constexpr GLenum GL_VERTEX_SHADER_ARB = 0x8B31;
inline constexpr GLenum GL_OBJECT_INFO_LOG_LENGTH_ARB = 0x8B84;
inline constexpr GLenum GLU_VERSION = 100800;

using GetStringProc = const GLubyte* (*)(GLenum name);
using GluGetStringProc = const GLubyte* (*)(GLenum name);
using CreateProgramObjectARBProc = GLhandleARB (*)();
using CreateShaderObjectARBProc = GLhandleARB (*)(GLenum shaderType);
using ShaderSourceARBProc = void (*)(GLhandleARB shader, GLsizei count, const GLcharARB** strings,
                                     const GLint* lengths);
using CompileShaderARBProc = void (*)(GLhandleARB shader);
using AttachObjectARBProc = void (*)(GLhandleARB program, GLhandleARB object);
using LinkProgramARBProc = void (*)(GLhandleARB program);
using GetObjectParameterivARBProc = void (*)(GLhandleARB object, GLenum name, GLint* params);
using GetInfoLogARBProc = void (*)(GLhandleARB object, GLsizei maxLength, GLsizei* length,
                                   GLcharARB* infoLog);
using DeleteObjectARBProc = void (*)(GLhandleARB object);

} // namespace gltypes
