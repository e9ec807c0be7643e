// File systems that refuse to take a file: a validator directory where nothing can be
// created, and a disk that fills up while a page is saved. The user gets the cannot-create
// message with the system's reason, and nothing on disk is lost or left behind.

#include "RobustnessHelpers.h"
#include "WindowFixture.h"

#include "OutputPanel.h"
#include "ShaderDocument.h"
#include "ShaderEditor.h"

#include <QDir>
#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray config(const QString& validatorDir)
{
    return (validatorDir + "\r\n\r\n\r\n").toUtf8() + "700 500 10 20\r\n0\r\n0\r\n";
}

QString CannotCreate(const QString& path, int error)
{
    return QStringLiteral("Datei \"") + path + QStringLiteral("\" kann nicht erstellt werden. ") +
           SystemReason(error) + QLatin1Char('.');
}

QStringList FilesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A validator script that leaves a mark when it runs at all.
QByteArray MarkingValidator(const QString& mark)
{
    return "#!/bin/sh\necho ran > '" + mark.toUtf8() + "'\n";
}

// Clicks the vertex validator button in a window whose validator directory cannot take the
// temporary file, and checks that the run ends there with the message.
void ExpectValidatorRefused(WindowFixture& w, const QString& validatorDir, int error, const QString& mark)
{
    TMainForm& f = w.start();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    f.ShaderRichEdit->setPlainText(QStringLiteral("void main() { gl_Position = ftransform(); }\n"));
    const QStringList panelBefore = f.glslValidateMemo->lines();
    ASSERT_FALSE(panelBefore.isEmpty());
    // Where the validator could be put in place, the window found it.
    if (QFileInfo(validatorDir + QStringLiteral("/glslvalidate")).isFile()) {
        EXPECT_EQ(panelBefore[0],
                  QStringLiteral("glslValidate.exe present in \"") + validatorDir + QStringLiteral("\"..."));
    }

    f.ToolButton6->click();
    ASSERT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_EQ(w.dialogs.errors[0], CannotCreate(validatorDir + QStringLiteral("/tmp.vs"), error));
    EXPECT_FALSE(QFile::exists(mark)) << "the validator was started";
    EXPECT_EQ(f.glslValidateMemo->lines(), panelBefore);
    // The window carries on: the next command works.
    f.ToolButton1->click();
    EXPECT_EQ(w.dialogs.errors.size(), 1);
}

TEST(ValidatorDirectory, OnAReadOnlyFileSystem)
{
    WindowFixture w;
    const QString mark = w.dir.file(QStringLiteral("validator-ran"));
    ScopedTmpfs fs("1m", false);
    if (fs.mounted()) {
        const QString validator = fs.path() + QStringLiteral("/glslvalidate");
        WriteBytes(validator, MarkingValidator(mark));
        ASSERT_EQ(::chmod(QFile::encodeName(validator).constData(), 0755), 0);
        ASSERT_TRUE(fs.remountReadOnly());
        WriteBytes(w.dir.file(QStringLiteral("config.txt")), config(fs.path()));
        ExpectValidatorRefused(w, fs.path(), EROFS, mark);
        return;
    }
    // Without the right to mount, a directory that lies below a regular file cannot take any
    // file either; the validator cannot be there then.
    std::printf("[ note     ] no read-only tmpfs (%s); a path through a regular file instead\n",
                qPrintable(fs.why()));
    RecordProperty("variant", "ENOTDIR fallback");
    WriteBytes(w.dir.file(QStringLiteral("plain-file")), "x");
    const QString dir = w.dir.file(QStringLiteral("plain-file/validator"));
    WriteBytes(w.dir.file(QStringLiteral("config.txt")), config(dir));
    ExpectValidatorRefused(w, dir, ENOTDIR, mark);
}

TEST(ValidatorDirectory, PathThroughARegularFile)
{
    WindowFixture w;
    WriteBytes(w.dir.file(QStringLiteral("plain-file")), "x");
    const QString dir = w.dir.file(QStringLiteral("plain-file/validator"));
    WriteBytes(w.dir.file(QStringLiteral("config.txt")), config(dir));
    ExpectValidatorRefused(w, dir, ENOTDIR, w.dir.file(QStringLiteral("validator-ran")));
}

// Holds the file-size limit of the process down for its lifetime, with SIGXFSZ ignored so an
// oversized write fails with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit old_ {};
    void (*previous_)(int) = SIG_DFL;
};

QByteArray OldFile()
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < 8000; ++i)
        bytes += "// line " + QByteArray::number(i) + " of the old file\r\n";
    return bytes;
}

TEST(FullDisk, SaveReportsTheReasonKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    WindowFixture w;
    ScopedTmpfs fs("64k", false);
    std::unique_ptr<FileSizeLimit> limit;
    QString dir = fs.path();
    int expected = ENOSPC;
    if (!fs.mounted()) {
        std::printf("[ note     ] no small tmpfs (%s); a file-size limit of 64 KiB instead\n", qPrintable(fs.why()));
        RecordProperty("variant", "RLIMIT_FSIZE fallback");
        dir = w.dir.file(QStringLiteral("limited"));
        QDir().mkpath(dir);
        expected = EFBIG;
    }
    const QString path = dir + QStringLiteral("/old.vert");
    const QByteArray oldBytes = OldFile();
    WriteBytes(path, oldBytes);

    TMainForm& f = w.start();
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    f.ShaderRichEdit->moveCursor(QTextCursor::End);
    QString more;
    while (more.size() < 200000)
        more += QStringLiteral("vec4 a_rather_long_line_of_text_that_fills_the_disk = vec4(0.0);\n");
    f.ShaderRichEdit->insertPlainText(more);
    ASSERT_TRUE(f.VSDocument.Changed);
    if (!fs.mounted())
        limit = std::make_unique<FileSizeLimit>(64 * 1024);

    f.ToolButton3->click();
    ASSERT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_EQ(w.dialogs.errors[0], CannotCreate(path, expected));
    EXPECT_TRUE(ReadBytes(path) == oldBytes) << "the old file was damaged";
    EXPECT_EQ(FilesIn(dir), QStringList{QStringLiteral("old.vert")}) << "a temporary file was left";
    EXPECT_EQ(f.VSDocument.FileName, path);
    EXPECT_EQ(f.StatusPanel0->text(), QStringLiteral("VS:") + path);
    EXPECT_TRUE(f.VSDocument.Changed) << "the page's text is still unsaved";

    // Save As to a new name on the same disk fails the same way and creates nothing.
    const QString other = dir + QStringLiteral("/other.vert");
    w.dialogs.savePaths = {other};
    f.ToolButton9->click();
    ASSERT_EQ(w.dialogs.errors.size(), 2);
    EXPECT_EQ(w.dialogs.errors[1], CannotCreate(other, expected));
    EXPECT_EQ(FilesIn(dir), QStringList{QStringLiteral("old.vert")});
    EXPECT_EQ(f.VSDocument.FileName, path);
    limit.reset();

    // Once there is room again (here: a small page), Save works.
    f.ToolButton1->click(); // answers No to the save question
    f.ShaderRichEdit->setPlainText(QStringLiteral("void main() {}\n"));
    w.dialogs.savePaths = {other};
    f.ToolButton3->click();
    EXPECT_EQ(w.dialogs.errors.size(), 2);
    EXPECT_EQ(ReadBytes(other), QByteArray("void main() {}\r\n"));
}

} // namespace
