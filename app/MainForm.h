#pragma once

#include "FileWatch.h"
#include "Preferences.h"
#include "RecoveryFile.h"
#include "ShaderDocument.h"
#include "IncludeExpander.h"
#include "ShaderTarget.h"
#include "IsolatedDriverCheck.h"
#include "ValidatorRun.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTextCursor>
#include <functional>
#include <memory>

class CompletionWords;
class CrashRecovery;
class Dialogs;
class FindBar;
class OutputPanel;
class ShaderEditor;
class THelpSystem;
class QComboBox;
class QLabel;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QAction;
class QTimer;
class QToolBar;
class QToolButton;
class QWidget;

// How the window is set up; the defaults are the real program's.
struct MainFormOptions {
    // Dialogs to use; nullptr means the real Qt dialogs.
    Dialogs* dialogs = nullptr;
    // Where config.txt is written at close; empty means the executable's directory.
    QString settingsWriteDir;
    // Interval of the one-shot start timer, in milliseconds.
    int startTimerInterval = 50;
    // How the validator run waits (time limit; tests press Cancel through it).
    ValidatorRunOptions validatorRun;
    // How a driver check, which runs in a helper process, waits (time limit, Cancel).
    // The helper needs about a third of a second to start the driver, so the dialog waits longer.
    ValidatorRunOptions driverRun{kDefaultDriverTimeoutMs, {}, 800,
                                  QStringLiteral("Waiting for the OpenGL driver to finish the check...")};
    // The address space a driver check may take, in bytes.
    quint64 driverAddressSpace = kDriverHelperAddressSpace;
    // How long after the deferred start step the driver helper is started, so that the first
    // check finds the driver loaded; negative: at the first check.
    int driverPrestartMs = 1000;
    // Where the helper programs lie; empty means the executable's directory.
    QString programDir;
    // How soon after a change the pages go to the recovery file, in milliseconds.
    int recoveryIntervalMs = 2000;
    // Files named on the command line; the start step opens them in place of the last files.
    QStringList files;
    // The program's own settings file; empty means the user's (PreferencesFilePath()).
    QString preferencesFile;
};

// The one main window: the toolbar, the two shader pages, the output panel, the status bar,
// and the handlers wired to them. Handlers keep the form designer's names. Each handler runs
// under RunHandler, so a failure ends it and shows the error box.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(const MainFormOptions& options = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Starts loading the graphics libraries and the driver on a worker thread; FormCreate
    // waits for it where it makes the rendering context. For main(), once the application
    // object exists.
    static void StartGraphicsLoading();

    // Controls, named as the form designer names them (also their objectName).
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // new
    QToolButton* ToolButton2 = nullptr;  // open
    QToolButton* ToolButton3 = nullptr;  // save
    QToolButton* ToolButton9 = nullptr;  // save as
    QToolButton* ToolButton6 = nullptr;  // validator, vertex
    QToolButton* ToolButton7 = nullptr;  // validator, fragment
    QToolButton* ToolButton12 = nullptr; // driver, vertex
    QToolButton* ToolButton13 = nullptr; // driver, fragment
    QToolButton* ToolButton14 = nullptr; // driver, both linked
    QToolButton* ToolButton10 = nullptr; // about
    QComboBox* ComboBoxSourceHighlight = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* VSTabSheet = nullptr;
    QWidget* FSTabSheet = nullptr;
    ShaderEditor* ShaderRichEdit = nullptr;
    ShaderEditor* ShaderRichEditFS = nullptr;
    QSplitter* Splitter1 = nullptr;
    OutputPanel* glslValidateMemo = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QTimer* StartTimer = nullptr;
    // After the specified controls: the target the checks are made for, and the check of the
    // active page on the standard set of targets.
    QComboBox* TargetChooser = nullptr;
    QToolButton* CheckAllTargetsButton = nullptr;

    // Module state of the window.
    QString ValidatorDir;
    TSyntaxRichEdit VSDocument;
    TSyntaxRichEdit FSDocument;
    QString HintWord;
    THelpSystem* HelpSystem = nullptr;
    void* MainDC = nullptr; // display the rendering context lives on
    void* MainRC = nullptr; // the one rendering context; null when creation failed

    // Handlers.
    void FormCreate();
    void FormClose();
    void StartTimerTimer();
    void ToolButton1Click();  // new
    void ToolButton2Click();  // open
    void ToolButton3Click();  // save
    void ToolButton9Click();  // save as
    void ToolButton6Click();  // validate the vertex page
    void ToolButton7Click();  // validate the fragment page
    void ToolButton12Click(); // driver check, vertex page
    void ToolButton13Click(); // driver check, fragment page
    void ToolButton14Click(); // driver check, both pages linked
    void ToolButton10Click(); // about box
    void ComboBoxSourceHighlightChange();
    void ShaderRichEditChange();
    void ShaderRichEditFSChange();
    void ShaderRichEditMouseMove(int x, int y);
    void ShaderRichEditFSMouseMove(int x, int y);
    void StatusBar1Resize();
    void TargetChooserChange();
    void CheckAllTargetsClick();

    // Recolours every line of an editor (a complete pass; see LineHighlighter).
    void HighlightAllLines(ShaderEditor* editor);
    // Looks up the word under the pointer and switches the hint and pointer shape.
    void UpdateWordHint(ShaderEditor* editor, int x, int y);
    // A double-click on an output line that names a source line puts the caret there.
    void OutputLineActivated(int index);

    Dialogs& dialogs() { return *dialogs_; }
    // The driver checks' helper process; 0 while none runs.
    qint64 driverHelperId() const;

    // Commands beyond the toolbar's (keys, context menu; see Shortcuts.cpp).
    void FindCommand();
    void ReplaceCommand();
    void FindNextCommand();
    void FindPreviousCommand();
    void GoToLineCommand();
    void PreferencesCommand();
    void KeysCommand();
    void NextDiagnosticCommand();
    void PreviousDiagnosticCommand();
    // Opens files on the pages their names belong to (see CommandLineFiles.h), each after the
    // save question of its page; "Abbrechen" stops there.
    void openFiles(const QStringList& paths);
    // Offers to reload each page without edits whose file changed on disk.
    void checkFilesOnDisk();

    FindBar* findBar() const { return findBar_; }
    const Preferences& preferences() const { return preferences_; }
    // The window's commands, in menu order; null entries separate groups.
    const QList<QAction*>& commandActions() const { return commandActions_; }
    // The compact list of keys, as F1 shows it.
    QString keyListText() const;

signals:
    // The deferred start step has run (last files reopened, lines in view coloured).
    void startStepDone();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct Page {
        ShaderEditor* editor;
        TSyntaxRichEdit* document;
        QLabel* panel;
        const char* prefix;
        QWidget* sheet;
        FileWatch* watch;
    };
    Page activePage();
    Page vertexPage();
    Page fragmentPage();
    // The page a file's name belongs on; the active page for other names.
    Page pageForFile(const QString& path);

    enum class CheckedPages { Vertex, Fragment, Both };
    struct PanelTarget {
        ShaderEditor* editor;
        QTextCursor at; // the message's place on the page; moves with the text as it is edited
        QString file;   // a message in an included file: that file; empty for the page itself
        int line = 0;   // the message's line, 1-based
    };
    // Runs a check of pages and marks the lines its messages name.
    void runCheck(CheckedPages pages, const std::function<void()>& check);
    void markDiagnostics(CheckedPages pages);
    // The messages' places in a page whose text was replaced lead nowhere any more.
    void forgetPanelTargets(ShaderEditor* editor);
    void goToDiagnostic(bool forward);

    void buildControls();
    void connectHandlers();
    void createCommands();
    void runGuarded(void (TMainForm::*handler)());
    // A command of the user's (button, key): runGuarded on whole pages (see ShaderEditor::loadText).
    void runCommand(void (TMainForm::*handler)());
    void pageChanged(ShaderEditor* editor, QWidget* sheet, TSyntaxRichEdit& document);
    void loadIntoPage(const Page& page, const QString& path);
    // Written: the file holds the page. NotSaved: the save dialog was cancelled. Reloaded: the
    // page was replaced by its changed file. Cancelled: the user stopped the command.
    enum class SaveOutcome { Written, NotSaved, Reloaded, Cancelled };
    SaveOutcome savePage(const Page& page);
    bool saveAsPage(const Page& page);
    void writePage(const Page& page, const QString& path);
    // The save question before New, Open or a drop replaces the page, or the window closes;
    // false when the command is to stop ("Abbrechen", and on closing a save not done).
    bool askToSave(const Page& page, bool closing = false);
    void openStartFiles();
    void applyPreferences();
    QString preferencesFile() const;
    void refreshPreferences();
    void savePreferences();
    void rememberCaret(const Page& page);
    void restoreCaret(const Page& page);
    void applyStartGeometry();
    void fitFrameToRequest();
    void settleFrame();
    // The target controls, and the target the checks are made for (auto when none is chosen).
    void buildTargetControls();
    ShaderTarget currentTarget() const;
    // Says under the validator's heading which target it checked (nothing on auto).
    void noteTarget(const ShaderTarget& target);
    // The validator on a page, and the driver on pages (linked or one alone), for the chosen
    // target with the pages' includes expanded.
    void validatePage(ShaderStage stage);
    // A page's text with its includes expanded for a reader (unchanged without #include).
    ExpandedShader expandPage(const QString& text, const TSyntaxRichEdit& document, LineForm form,
                              const ShaderTarget& target) const;
    QStringList driverCheck(const QList<ShaderStage>& stages, bool link);
    // Runs the request in the driver helper, within the window's limits and behind its wait
    // dialog; a check that could not run at all is thrown as the error box's message.
    IsolatedDriverResult checkInDriverHelper(DriverRequest request);
    IsolatedDriver& isolatedDriver();
    // Start-up and shutdown steps of the hint catalogue and the OpenGL context.
    void createHelpSystem();
    void openGraphics();
    void closeGraphics();
    // Crash recovery: the pages with unsaved changes, and at start the offer of what a window
    // that ended without closing left.
    void startRecovery();
    QList<RecoveredPage> pagesToRecover();
    void offerRecovery();

    std::unique_ptr<Dialogs> ownDialogs_;
    Preferences preferences_;
    FileWatch vertexWatch_;
    FileWatch fragmentWatch_;
    FindBar* findBar_ = nullptr;
    QList<QAction*> commandActions_;
    std::shared_ptr<CompletionWords> completionWords_;
    bool checkingDisk_ = false;
    Dialogs* dialogs_ = nullptr;
    MainFormOptions options_;
    QString lastOpenPath_;
    QString lastSavePath_;
    // Outer geometry asked for by config.txt, applied once the frame is known. Window
    // managers report the frame some time after the window shows, so the request is watched
    // until a frame has been fitted or kFrameSettleMs have passed.
    QRect requestedFrame_;
    QTimer* frameSettleTimer_ = nullptr;
    // The client size the settle last gave the window: any other size, before a frame is
    // seen, is the user's (or a window manager's) and ends the settle.
    QSize settledSize_;
    QElapsedTimer sinceShown_;
    bool firstShowDone_ = false;
    // Output lines that name a source line, by line index, for the output they came from.
    QHash<int, PanelTarget> panelTargets_;
    QStringList panelTargetLines_;
    bool closing_ = false;
    CrashRecovery* recovery_ = nullptr;
    std::unique_ptr<IsolatedDriver> isolatedDriver_;
};
