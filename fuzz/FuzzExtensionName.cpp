// Extension names: HasExtensionName against the rule read directly (the first occurrence,
// followed by the end or by something that is not a letter or an underscore), and the flag
// set built from it.

#include "FuzzSupport.h"
#include "GLBinding.h"

#include <string_view>

namespace {

bool ReferenceHas(std::string_view extensions, std::string_view name)
{
    if (name.empty())
        return false;
    for (std::size_t at = 0; at + name.size() <= extensions.size(); ++at) {
        if (extensions.compare(at, name.size(), name) != 0)
            continue;
        const std::size_t end = at + name.size();
        if (end == extensions.size())
            return true;
        const char c = extensions[end];
        return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_');
    }
    return false;
}

} // namespace

// The first line is the name asked for, the rest the extension text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lf = input.find('\n');
    const std::string_view name = lf == std::string_view::npos ? input : input.substr(0, lf);
    const std::string_view extensions = lf == std::string_view::npos ? std::string_view() : input.substr(lf + 1);

    const bool got = HasExtensionName(extensions, name);
    FUZZ_CHECK(got == ReferenceHas(extensions, name),
               QStringLiteral("name %1 in %2: %3")
                   .arg(QString::fromStdString(Escaped(FuzzBytes(data, qsizetype(name.size())))),
                        QString::fromStdString(Escaped(QByteArray(extensions.data(), qsizetype(extensions.size())))))
                   .arg(got));
    // A name whose first occurrence ends the text is always found.
    const std::string appended = std::string(extensions) + " " + std::string(name);
    FUZZ_CHECK(name.empty() || appended.find(name) != appended.size() - name.size() || HasExtensionName(appended, name),
               QString::fromStdString(Escaped(QByteArray(appended.data(), qsizetype(appended.size())))));

    const ExtensionSet flags = ExtensionFlagsFor(extensions);
    for (std::size_t i = 0; i < kExtensionNames.size(); ++i)
        FUZZ_CHECK(flags.test(i) == ReferenceHas(extensions, kExtensionNames[i]),
                   QString::fromLatin1(kExtensionNames[i].data(), qsizetype(kExtensionNames[i].size())));
    return 0;
}
