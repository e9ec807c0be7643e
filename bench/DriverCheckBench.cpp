// The linked check of a small vertex and fragment pair, median of ROUNDS wall-clock times each:
//   in-process-ms       in a context of this process (the window's own, as before the helper)
//   cold-helper-ms      a helper started for the check and ended after it (one process a check)
//   prestarted-first-ms the first check, a second after the helper was started (as the window
//                       starts it after its start step)
//   later-ms            each further check on the same helper

#include "DriverCheckBench.h"

#include "DriverRequest.h"
#include "IsolatedDriverCheck.h"
#include "ShaderChecks.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QStringList kVertex = {QStringLiteral("varying vec3 normal;"), QStringLiteral("void main()"), QStringLiteral("{"),
                             QStringLiteral("  normal = gl_NormalMatrix * gl_Normal;"),
                             QStringLiteral("  gl_Position = ftransform();"), QStringLiteral("}")};
const QStringList kFragment = {QStringLiteral("varying vec3 normal;"), QStringLiteral("void main()"), QStringLiteral("{"),
                               QStringLiteral("  gl_FragColor = vec4(normalize(normal) * 0.5 + 0.5, 1.0);"),
                               QStringLiteral("}")};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

void Print(const char* name, const std::vector<double>& ms)
{
    std::printf("%s: %.3f ms\n", name, Median(ms));
    std::fflush(stdout);
}

template <class F>
double TimeMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int MeasureDriverCheck(int rounds)
{
    const QString helper = QStringLiteral(LUMENPAD_PROGRAM_DIR "/") + QString::fromLatin1(kDriverHelperName);
    DriverRequest request;
    request.link = true;
    request.addressSpace = kDriverHelperAddressSpace;
    request.sources = {{ShaderStage::Vertex, kVertex, {}}, {ShaderStage::Fragment, kFragment, {}}};
    const auto check = [&](IsolatedDriver& driver) {
        const IsolatedDriverResult r = driver.check(request);
        if (!r.answered || !r.failure.isEmpty()) {
            std::fprintf(stderr, "the helper did not check: %s%s\n", qPrintable(r.lines.join('\n')), qPrintable(r.failure));
            std::exit(1);
        }
    };

    std::vector<double> inProcess, cold, prestarted, later;
    {
        DriverSession session;
        for (int i = 0; i < rounds; ++i)
            inProcess.push_back(TimeMs([&] { session.checkLinked(kVertex, kFragment); }));
    }
    for (int i = 0; i < rounds; ++i) {
        IsolatedDriver driver(helper);
        cold.push_back(TimeMs([&] {
            check(driver);
            driver.stop();
        }));
    }
    for (int i = 0; i < rounds; ++i) {
        IsolatedDriver driver(helper);
        driver.start(request.addressSpace);
        QThread::msleep(1000);
        prestarted.push_back(TimeMs([&] { check(driver); }));
        for (int j = 0; j < 3; ++j)
            later.push_back(TimeMs([&] { check(driver); }));
    }
    Print("in-process-ms", inProcess);
    Print("cold-helper-ms", cold);
    Print("prestarted-first-ms", prestarted);
    Print("later-ms", later);
    return 0;
}
