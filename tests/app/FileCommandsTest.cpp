#include "WindowFixture.h"

#include "EditorGutter.h"
#include "EventLoopWait.h"
#include "LineMarkers.h"
#include "OutputPanel.h"
#include "RecoveryFile.h"
#include "ShaderEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using Answer = Dialogs::SaveAnswer;

void type(ShaderEditor* editor, const QString& text)
{
    editor->moveCursor(QTextCursor::End);
    editor->insertPlainText(text);
}

TEST(FileCommands, NewOnAnUnchangedPageAsksNothing)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.glslValidateMemo->appendLine(QStringLiteral("old output"));
    f.ToolButton1->click();
    EXPECT_EQ(w.dialogs.saveQuestions, 0);
    EXPECT_TRUE(f.ShaderRichEdit->toPlainText().isEmpty());
    EXPECT_EQ(f.StatusPanel0->text(), QStringLiteral("VS:"));
    EXPECT_TRUE(f.StatusPanel1->text().isEmpty());
    EXPECT_TRUE(f.glslValidateMemo->lines().isEmpty());
    EXPECT_FALSE(f.VSDocument.Changed);
}

// "Ja" says the text is wanted; a cancelled save dialog must not then throw it away.
TEST(FileCommands, NewAndOpenOnAChangedUntitledPageKeepItWhenTheSaveDialogIsCancelled)
{
    for (int command = 0; command < 2; ++command) {
        WindowFixture w;
        TMainForm& f = w.start();
        type(f.ShaderRichEdit, QStringLiteral("void main() {}"));
        w.dialogs.saveAnswers = {Answer::Yes};
        w.dialogs.openPaths = {w.dir.file("never.vert")};
        (command == 0 ? f.ToolButton1 : f.ToolButton2)->click();
        EXPECT_EQ(w.dialogs.saveDialogs, 1);
        EXPECT_EQ(w.dialogs.openDialogs, 0) << command;
        EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("void main() {}")) << command;
        EXPECT_TRUE(f.VSDocument.Changed) << command;
    }
}

TEST(FileCommands, OpenLoadsColoursAndTitlesThePage)
{
    WindowFixture w;
    TMainForm& f = w.start();
    const QString path = w.dir.file("a.vert");
    WriteBytes(path, "void main()\r\n{\r\n  gl_Position = vec4(0.0);\r\n}\r\n");
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    EXPECT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("void main()\n{\n  gl_Position = vec4(0.0);\n}\n"));
    EXPECT_EQ(f.VSDocument.FileName, path);
    EXPECT_FALSE(f.VSDocument.Changed);
    EXPECT_EQ(f.StatusPanel0->text(), QStringLiteral("VS:") + path);
    // Opening right away asks nothing.
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    EXPECT_EQ(w.dialogs.saveQuestions, 0);
}

TEST(FileCommands, CancelledOpenChangesNothingEvenAfterSaving)
{
    WindowFixture w;
    TMainForm& f = w.start();
    type(f.ShaderRichEdit, QStringLiteral("x"));
    const QString path = w.dir.file("saved.vert");
    w.dialogs.saveAnswers = {Answer::Yes};
    w.dialogs.savePaths = {path};
    f.ToolButton2->click(); // yes -> Save As -> then the open dialog is cancelled
    EXPECT_EQ(ReadBytes(path), QByteArray("x"));
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("x"));
    EXPECT_EQ(f.VSDocument.FileName, path);
    EXPECT_TRUE(f.VSDocument.Changed) << "Save does not clear the changed mark";
    // So New still asks.
    f.ToolButton1->click();
    EXPECT_EQ(w.dialogs.saveQuestions, 2);
}

TEST(FileCommands, OnlyTheActivePageIsConsulted)
{
    WindowFixture w;
    TMainForm& f = w.start();
    type(f.ShaderRichEdit, QStringLiteral("unsaved vertex text"));
    f.PageControl1->setCurrentWidget(f.FSTabSheet);
    const QString path = w.dir.file("b.frag");
    WriteBytes(path, "void main() {}\n");
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    EXPECT_EQ(w.dialogs.saveQuestions, 0);
    EXPECT_EQ(f.ShaderRichEditFS->toPlainText(), QStringLiteral("void main() {}\n"));
    EXPECT_EQ(f.StatusPanel1->text(), QStringLiteral("FS:") + path);
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("unsaved vertex text"));
    EXPECT_TRUE(f.VSDocument.Changed);
}

TEST(FileCommands, SaveOnAnUntitledPageIsSaveAsAndLaterSavesGoThere)
{
    WindowFixture w;
    TMainForm& f = w.start();
    type(f.ShaderRichEdit, QStringLiteral("a\nb"));
    const QString path = w.dir.file("noext");
    w.dialogs.savePaths = {path};
    f.ToolButton3->click();
    EXPECT_EQ(w.dialogs.saveDialogs, 1);
    EXPECT_EQ(ReadBytes(path), QByteArray("a\r\nb")) << "a new page is saved with CR LF";
    EXPECT_EQ(f.StatusPanel0->text(), QStringLiteral("VS:") + path);
    type(f.ShaderRichEdit, QStringLiteral("c"));
    f.ToolButton3->click();
    EXPECT_EQ(w.dialogs.saveDialogs, 1);
    EXPECT_EQ(ReadBytes(path), QByteArray("a\r\nbc"));
}

TEST(FileCommands, OpenedFilesSaveBackByteForByte)
{
    const QByteArray files[] = {
        "lf\nfile\n",
        "crlf\r\nfile\r\n",
        "// utf-8 \xC3\xA4\xE2\x82\xAC\n",
        "// latin-1 \xE4\xFC\r\n",
        "invalid \xC3\x28 utf-8\n",
        // Each line keeps its own break, whatever the first one was.
        "a\rb\nc\n",
        "mixed\r\nends\nand\rnone",
        "a\r\r\nb\r\n",
        // Characters the text document would take for breaks stay characters.
        "para\xE2\x80\xA9" "graph\n\xEF\xB7\x90" "frame\xEF\xB7\x91\n",
    };
    for (const QByteArray& bytes : files) {
        WindowFixture w;
        TMainForm& f = w.start();
        const QString path = w.dir.file("round.glsl");
        WriteBytes(path, bytes);
        w.dialogs.openPaths = {path};
        f.ToolButton2->click();
        WriteBytes(path, "clobbered");
        f.ToolButton3->click();
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}

TEST(FileCommands, LinesAddedByEditingTakeTheFirstBreakAndOthersKeepTheirOwn)
{
    WindowFixture w;
    TMainForm& f = w.start();
    const QString path = w.dir.file("mixed.vert");
    WriteBytes(path, "a\rb\nc\n");
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    QTextCursor cursor(f.ShaderRichEdit->document()->findBlockByNumber(1));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(QStringLiteral("\nnew"));
    f.ToolButton3->click();
    EXPECT_EQ(ReadBytes(path), QByteArray("a\rb\nnew\rc\n"));
}

// A NUL cannot be saved in a text file, and this editor would not open the file again.
TEST(FileCommands, NulNeverReachesTheFile)
{
    WindowFixture w;
    TMainForm& f = w.start();
    const QString path = w.dir.file("a.vert");
    WriteBytes(path, "old\n");
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();
    QApplication::clipboard()->setText(QStringLiteral("x") + QChar(0) + QStringLiteral("y"));
    f.ShaderRichEdit->moveCursor(QTextCursor::Start);
    f.ShaderRichEdit->paste();
    EXPECT_EQ(f.ShaderRichEdit->pageText(), QStringLiteral("xyold\n"));

    f.ShaderRichEdit->insertPlainText(QString(QChar(0)));
    f.ToolButton3->click();
    ASSERT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_TRUE(w.dialogs.errors[0].contains(QStringLiteral("NUL"))) << w.dialogs.errors[0].toStdString();
    EXPECT_EQ(ReadBytes(path), QByteArray("old\n"));
}

TEST(FileCommands, OpenFailureIsReportedAndChangesNothing)
{
    WindowFixture w;
    TMainForm& f = w.start();
    type(f.ShaderRichEdit, QStringLiteral("keep me"));
    f.VSDocument.Changed = false;
    const QString missing = w.dir.file("missing.vert");
    w.dialogs.openPaths = {missing};
    f.ToolButton2->click();
    ASSERT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_TRUE(w.dialogs.errors[0].startsWith(QStringLiteral("Datei ") + missing +
                                               QStringLiteral(" kann nicht geöffnet werden. ")));
    EXPECT_TRUE(w.dialogs.errors[0].endsWith(QLatin1Char('.')));
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("keep me"));
    EXPECT_TRUE(f.VSDocument.FileName.isEmpty());

    const QString withNul = w.dir.file("nul.vert");
    WriteBytes(withNul, QByteArray("a\0b", 3));
    w.dialogs.openPaths = {withNul};
    f.ToolButton2->click();
    EXPECT_EQ(w.dialogs.errors.size(), 2);
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("keep me"));
}

TEST(FileCommands, SaveFailureKeepsNameAndPanel)
{
    WindowFixture w;
    TMainForm& f = w.start();
    type(f.ShaderRichEdit, QStringLiteral("x"));
    const QString bad = QStringLiteral("/nonexistent-dir/a.vert");
    w.dialogs.savePaths = {bad};
    f.ToolButton9->click();
    ASSERT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_TRUE(w.dialogs.errors[0].startsWith(QStringLiteral("Datei \"") + bad +
                                               QStringLiteral("\" kann nicht erstellt werden. ")));
    EXPECT_TRUE(f.VSDocument.FileName.isEmpty());
    EXPECT_TRUE(f.StatusPanel0->text().isEmpty());
}

TEST(FileCommands, FailedSaveFromTheQuestionEndsTheCommand)
{
    WindowFixture w;
    TMainForm& f = w.start();
    type(f.ShaderRichEdit, QStringLiteral("keep"));
    w.dialogs.saveAnswers = {Answer::Yes};
    w.dialogs.savePaths = {QStringLiteral("/nonexistent-dir/a.vert")};
    f.ToolButton1->click();
    EXPECT_EQ(w.dialogs.errors.size(), 1);
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("keep"));
}

TEST(Closing, ChangedPagesAreAskedForAndCancelKeepsTheWindowOpen)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.show();
    type(f.ShaderRichEdit, QStringLiteral("unsaved"));
    w.dialogs.saveAnswers = {Answer::Cancel};
    EXPECT_FALSE(f.close());
    EXPECT_EQ(w.dialogs.saveQuestionsWithCancel, 1);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(QFile::exists(w.dir.file("config.txt")) &&
                 ReadBytes(w.dir.file("config.txt")).contains("unsaved"));

    const QString path = w.dir.file("kept.vert");
    w.dialogs.saveAnswers = {Answer::Yes};
    w.dialogs.savePaths = {path};
    EXPECT_TRUE(f.close());
    EXPECT_EQ(ReadBytes(path), QByteArray("unsaved"));
    const QByteArray config = ReadBytes(w.dir.file("config.txt"));
    EXPECT_TRUE(config.contains(path.toUtf8() + "\r\n"));
}

TEST(Closing, CancelledSaveDialogKeepsTheWindowOpen)
{
    WindowFixture w;
    TMainForm& f = w.start();
    f.show();
    f.PageControl1->setCurrentWidget(f.FSTabSheet);
    type(f.ShaderRichEditFS, QStringLiteral("fragment"));
    w.dialogs.saveAnswers = {Answer::Yes}; // and the save dialog is cancelled
    EXPECT_FALSE(f.close());
    EXPECT_EQ(f.ShaderRichEditFS->toPlainText(), QStringLiteral("fragment"));
}

} // namespace

namespace {

TEST(NeverLosingWork, AbbrechenOnTheSaveQuestionOfNewAndOpenKeepsThePage)
{
    for (QToolButton* TMainForm::*command : {&TMainForm::ToolButton1, &TMainForm::ToolButton2}) {
        WindowFixture w;
        TMainForm& f = w.start();
        type(f.ShaderRichEdit, QStringLiteral("unsaved"));
        w.dialogs.saveAnswers = {Answer::Cancel};
        w.dialogs.openPaths = {w.dir.file("never.vert")};
        (f.*command)->click();
        EXPECT_EQ(w.dialogs.saveQuestionsWithCancel, 1);
        EXPECT_EQ(w.dialogs.openDialogs, 0);
        EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("unsaved"));
        EXPECT_TRUE(f.VSDocument.Changed);
    }
}

TEST(NeverLosingWork, SaveAsksBeforeOverwritingAFileChangedOnDisk)
{
    using Disk = Dialogs::DiskAnswer;
    const std::tuple<Disk, const char*, const char*> rows[] = {
        {Disk::Overwrite, "mine", "mine"},
        {Disk::Reload, "theirs, longer", "theirs, longer"},
        {Disk::Cancel, "theirs, longer", "mine"},
    };
    for (const auto& [answer, file, page] : rows) {
        WindowFixture w;
        TMainForm& f = w.start();
        const QString path = w.dir.file("a.vert");
        WriteBytes(path, "old");
        w.dialogs.openPaths = {path};
        f.ToolButton2->click();
        f.ShaderRichEdit->setPlainText(QStringLiteral("mine"));
        WriteBytes(path, "theirs, longer");
        w.dialogs.diskAnswers = {answer};
        f.ToolButton3->click();
        EXPECT_EQ(w.dialogs.diskQuestions, 1);
        EXPECT_EQ(ReadBytes(path), QByteArray(file));
        EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QString::fromLatin1(page));
    }
    // A file only touched, its bytes the page's, is no change.
    WindowFixture w;
    TMainForm& f = w.start();
    const QString path = w.dir.file("b.vert");
    w.dialogs.savePaths = {path};
    type(f.ShaderRichEdit, QStringLiteral("same"));
    f.ToolButton3->click();
    QFile touched(path);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    touched.close();
    f.ToolButton3->click();
    EXPECT_EQ(w.dialogs.diskQuestions, 0);
}

TEST(NeverLosingWork, ComingBackOffersToReloadAnUneditedPageWhoseFileChanged)
{
    WindowFixture w;
    TMainForm& f = w.start();
    const QString path = w.dir.file("a.vert");
    WriteBytes(path, "one");
    w.dialogs.openPaths = {path};
    f.ToolButton2->click();

    WriteBytes(path, "second");
    f.checkFilesOnDisk(); // answered No: the page stays, and is not asked about again
    f.checkFilesOnDisk();
    EXPECT_EQ(w.dialogs.reloadQuestions, 1);
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("one"));

    WriteBytes(path, "third one");
    w.dialogs.reloadAnswers = {true};
    f.checkFilesOnDisk();
    EXPECT_EQ(w.dialogs.reloadQuestions, 2);
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("third one"));
    EXPECT_FALSE(f.VSDocument.Changed);

    type(f.ShaderRichEdit, QStringLiteral(" edited")); // asked about at Save, not now
    WriteBytes(path, "fourth");
    f.checkFilesOnDisk();
    EXPECT_EQ(w.dialogs.reloadQuestions, 2);
}

TEST(OpeningFiles, CommandLineAndDroppedFilesGoToThePagesTheirNamesName)
{
    WindowFixture w;
    for (const char* name : {"a.vert", "b.frag", "c.glsl"})
        WriteBytes(w.dir.file(QLatin1String(name)), QByteArray(name).left(1));
    w.files = {w.dir.file("b.frag"), w.dir.file("a.vert")};
    TMainForm& f = w.start();
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(f.ShaderRichEditFS->toPlainText(), QStringLiteral("b"));
    EXPECT_EQ(f.PageControl1->currentWidget(), f.VSTabSheet) << "the page of the file named last";

    // A dropped file of no stage goes to the active page, after that page's save question.
    f.show();
    type(f.ShaderRichEdit, QStringLiteral(" edited"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(w.dir.file("c.glsl"))});
    for (Answer answer : {Answer::Cancel, Answer::No}) {
        w.dialogs.saveAnswers = {answer};
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.ShaderRichEdit->viewport(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.ShaderRichEdit->viewport(), &drop);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(w.dialogs.saveQuestions, 2);
    EXPECT_EQ(f.ShaderRichEdit->toPlainText(), QStringLiteral("c")) << "the name is not typed into the page";
}

TEST(OpeningFiles, TheCaretOfAFileAndTheTabWidthComeBack)
{
    WindowFixture w;
    WriteBytes(w.dir.file("lumenpad.conf"), "[editor]\ntabWidth=8\n");
    const QString path = w.dir.file("a.vert");
    WriteBytes(path, "one\ntwo\nthree\n");
    WriteBytes(w.dir.file("config.txt"), "\r\n" + path.toUtf8() + "\r\n\r\n737 579 110 191\r\n0\r\n0\r\n");
    {
        TMainForm& f = w.start();
        EXPECT_DOUBLE_EQ(f.ShaderRichEdit->tabStopDistance(),
                         8 * QFontMetricsF(f.ShaderRichEdit->font()).horizontalAdvance(QLatin1Char(' ')));
        QTextCursor c(f.ShaderRichEdit->document()->findBlockByNumber(2));
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
        f.ShaderRichEdit->setTextCursor(c);
        f.close();
    }
    TMainForm& f = w.start();
    EXPECT_EQ(f.ShaderRichEdit->textCursor().blockNumber(), 2);
    EXPECT_EQ(f.ShaderRichEdit->textCursor().positionInBlock(), 2);

    // What others write into the file meanwhile (the target chooser, say) outlives the close.
    Preferences chosen = LoadPreferences(w.dir.file("lumenpad.conf"));
    chosen.target = QStringLiteral("es:300");
    SavePreferences(chosen, w.dir.file("lumenpad.conf"));
    f.close();
    EXPECT_EQ(LoadPreferences(w.dir.file("lumenpad.conf")).target, QStringLiteral("es:300"));
}


// A big file is put in progressively. Whatever reads the page while the rest is still on its
// way (the event loop, a save, the validator, the driver) gets the whole text: the one
// undeclared name on the last line is found, and the file is written back byte for byte. The
// loading is no edit: the page stays unchanged and undo has nothing to take back.
TEST(FileCommands, ASaveOrACheckDuringALoadTakesTheWholeText)
{
    QByteArray bytes;
    constexpr int kLines = 20000;
    for (int i = 1; i < kLines; ++i)
        bytes += "float v" + QByteArray::number(i) + " = 1.0;\n";
    bytes += "void main() { gl_Position = vec4(undefinedAtTheEnd); }\n";

    struct Row {
        const char* name;
        QToolButton* TMainForm::*button; // null: the event loop finishes the load
    };
    const Row rows[] = {{"event loop", nullptr},
                        {"save", &TMainForm::ToolButton3},
                        {"validator", &TMainForm::ToolButton6},
                        {"driver", &TMainForm::ToolButton12}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowFixture w;
        QFile::copy(ProgramDirPath(QStringLiteral("glslvalidate")), w.dir.file("glslvalidate"));
        QFile(w.dir.file("glslvalidate")).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner);
        WriteBytes(w.dir.file("config.txt"), (w.dir.path() + "\r\n\r\n\r\n737 579 110 191\r\n0\r\n0\r\n").toUtf8());
        TMainForm& f = w.start();
        const QString path = w.dir.file("big.vert");
        WriteBytes(path, bytes);
        w.dialogs.openPaths = {path};
        f.ToolButton2->click();
        ShaderEditor* editor = f.ShaderRichEdit;
        ASSERT_TRUE(editor->isLoading());
        ASSERT_LT(editor->blockCount(), kLines);
        // The gutter is as wide as the whole text needs from the start: nothing moves at the end.
        const int gutterWhileLoading = editor->gutter().width();

        if (row.button)
            (f.*row.button)->click();
        else
            ASSERT_TRUE(WaitFor([&] { return !editor->isLoading(); }, 30000));
        ASSERT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join('\n').toStdString();
        EXPECT_FALSE(editor->isLoading());
        EXPECT_EQ(editor->blockCount(), kLines + 1);
        EXPECT_EQ(editor->gutter().width(), gutterWhileLoading);
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_FALSE(f.VSDocument.Changed);
        EXPECT_FALSE(editor->document()->isUndoAvailable());
        const bool checked = row.button == &TMainForm::ToolButton6 || row.button == &TMainForm::ToolButton12;
        EXPECT_EQ(editor->markers().onBlock(kLines - 1).isEmpty(), !checked)
            << f.glslValidateMemo->lines().join('\n').toStdString();
    }
}

} // namespace

// A window that ends without closing leaves its changed pages behind; the next window offers
// them back, and the file goes once the pages are saved.
TEST(NeverLosingWork, ChangedPagesOutliveACrashUntilSaved)
{
    const QDir state(RecoveryDirPath());
    const auto files = [&] { return state.entryList({QStringLiteral("pages-*.lpr")}, QDir::Files); };
    const QString typed = QStringLiteral("void main() {}\r\u2029 typed");
    QByteArray left;
    {
        WindowFixture w;
        w.recoveryIntervalMs = 10;
        TMainForm& f = w.start();
        ASSERT_TRUE(files().isEmpty()) << files().join(' ').toStdString();
        f.ShaderRichEdit->insertPlainText(typed);
        WaitFor([&] { return !files().isEmpty(); }, 2000);
        ASSERT_EQ(files().size(), 1);
        left = ReadBytes(state.filePath(files().first()));
    }
    // What a crashed window leaves: its file, under the number of a process that is gone.
    WriteBytes(state.filePath(QStringLiteral("pages-999999999.lpr")), left);

    WindowFixture w;
    w.dialogs.restoreAnswers = {true};
    TMainForm& f = w.start();
    ASSERT_EQ(w.dialogs.restoreQuestions.size(), 1);
    EXPECT_EQ(w.dialogs.restoreQuestions[0], QStringList{QStringLiteral("Vertex shader: (untitled)")});
    EXPECT_EQ(f.ShaderRichEdit->pageText(), DecodeRecovery(left).value().first().text);
    EXPECT_TRUE(f.ShaderRichEdit->pageText().endsWith(QStringLiteral(" typed")));
    EXPECT_TRUE(f.VSDocument.Changed);
    EXPECT_EQ(files().size(), 1) << "the restored page goes into the new window's own file";

    const QString path = w.dir.file(QStringLiteral("saved.vert"));
    w.dialogs.savePaths = {path};
    f.ToolButton3->click();
    EXPECT_TRUE(files().isEmpty()) << files().join(' ').toStdString();
}
