#include "RobustnessHelpers.h"

#include "SchemeSlots.h"

#include <QDir>
#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <vector>

QString ColouringMismatches(const QTextDocument& document, const LineColourer& colourer, int maxReported)
{
    QString report;
    int reported = 0;
    std::vector<ColourSpan> spans;
    for (QTextBlock block = document.firstBlock(); block.isValid() && reported < maxReported; block = block.next()) {
        const QString text = block.text();
        colourer.colourLine(text, spans);
        std::vector<ColourSpan> expected;
        for (const ColourSpan& s : spans)
            if (s.role != SyntaxRole::Text)
                expected.push_back(s);
        const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
        QString problem;
        if (qsizetype(expected.size()) != formats.size()) {
            problem = QStringLiteral("%1 formats, %2 coloured spans").arg(formats.size()).arg(expected.size());
        } else {
            for (size_t i = 0; i < expected.size() && problem.isEmpty(); ++i) {
                const ColourSpan& e = expected[i];
                const QTextLayout::FormatRange& f = formats[qsizetype(i)];
                if (f.start != e.start || f.length != e.length)
                    problem = QStringLiteral("span %1 at %2+%3, expected %4+%5")
                                  .arg(i).arg(f.start).arg(f.length).arg(e.start).arg(e.length);
                else if (f.format.foreground().color() != ExpectedRoleColour(e.role))
                    problem = QStringLiteral("span %1 in %2, expected %3 for %4")
                                  .arg(i)
                                  .arg(f.format.foreground().color().name(), ExpectedRoleColour(e.role).name(),
                                       QLatin1String(SyntaxRoleName(e.role)));
                else if (f.format.fontUnderline() != (e.role == SyntaxRole::StateVar))
                    problem = QStringLiteral("span %1 underline wrong").arg(i);
            }
        }
        if (!problem.isEmpty()) {
            report += QStringLiteral("block %1 (%2 characters): %3\n").arg(block.blockNumber()).arg(text.size()).arg(problem);
            ++reported;
        }
    }
    return report;
}

namespace {

// Mounts made by the tests go into a namespace of this process only, with nothing shared with
// the system's; done once. Without the right to do so the mounts are tried where we are.
void EnterPrivateMountNamespace()
{
    static const bool done = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return false;
        return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }();
    (void)done;
}

} // namespace

ScopedTmpfs::ScopedTmpfs(const char* size, bool readOnly)
{
    if (!base_.isValid()) {
        why_ = QStringLiteral("no temporary directory");
        return;
    }
    mountPoint_ = base_.filePath(QStringLiteral("mnt"));
    QDir().mkpath(mountPoint_);
    EnterPrivateMountNamespace();
    const QByteArray options = QByteArray("size=") + size + ",mode=0755";
    const unsigned long flags = readOnly ? MS_RDONLY : 0;
    if (::mount("tmpfs", QFile::encodeName(mountPoint_).constData(), "tmpfs", flags, options.constData()) != 0) {
        why_ = QStringLiteral("mount: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    mounted_ = true;
}

bool ScopedTmpfs::remountReadOnly()
{
    if (!mounted_)
        return false;
    return ::mount(nullptr, QFile::encodeName(mountPoint_).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

ScopedTmpfs::~ScopedTmpfs()
{
    if (mounted_)
        ::umount2(QFile::encodeName(mountPoint_).constData(), MNT_DETACH);
}
