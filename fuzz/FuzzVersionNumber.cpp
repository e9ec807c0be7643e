// Version texts: ParseVersionNumber against the rule read directly (the digits on both sides
// of the first point, 0.0 for any other shape or a number past 32 bits), never negative,
// and the version flags that follow from it.

#include "FuzzSupport.h"
#include "GLBinding.h"

#include <string_view>

namespace {

bool Digit(char c)
{
    return c >= '0' && c <= '9';
}

VersionNumber ReferenceVersion(std::string_view text)
{
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || point == 0 || point + 1 == text.size())
        return {};
    std::size_t a = point;
    while (a > 0 && Digit(text[a - 1]))
        --a;
    std::size_t b = point + 1;
    while (b < text.size() && Digit(text[b]))
        ++b;
    if (a == point || b == point + 1)
        return {};
    auto value = [](std::string_view digits, bool& ok) {
        long long v = 0;
        for (char c : digits) {
            v = v * 10 + (c - '0');
            if (v > 2147483647LL) {
                ok = false;
                return 0LL;
            }
        }
        return v;
    };
    bool ok = true;
    const long long major = value(text.substr(a, point - a), ok);
    const long long minor = value(text.substr(point + 1, b - point - 1), ok);
    if (!ok)
        return {};
    return {std::int32_t(major), std::int32_t(minor)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const VersionNumber got = ParseVersionNumber(text);
    const VersionNumber want = ReferenceVersion(text);
    const QString detail = QStringLiteral("%1: %2.%3, expected %4.%5")
                               .arg(QString::fromStdString(Escaped(FuzzBytes(data, size))))
                               .arg(got.major)
                               .arg(got.minor)
                               .arg(want.major)
                               .arg(want.minor);
    FUZZ_CHECK(got.major >= 0 && got.minor >= 0, detail);
    FUZZ_CHECK(got == want, detail);

    // 1.0 always; a later major version has every 1.x; 1.n has 1.0 to 1.n.
    const GLVersionSet flags = GLVersionFlagsFor(text);
    for (int n = 0; n <= 5; ++n) {
        const bool expected = n == 0 || got.major > 1 || (got.major == 1 && got.minor >= n);
        FUZZ_CHECK(flags.test(size_t(n)) == expected, detail + QStringLiteral(" flag 1.%1").arg(n));
    }
    return 0;
}
