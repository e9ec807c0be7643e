#include "MainForm.h"

#include "Completion.h"
#include "CrashRecovery.h"
#include "Dialogs.h"
#include "EditorPalette.h"
#include "ErrorReporting.h"
#include "FindBar.h"
#include "Icons.h"
#include "LanguageSyntax.h"
#include "LineHighlighter.h"
#include "LumenpadError.h"
#include "OutputPanel.h"
#include "Settings.h"
#include "ShaderEditor.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QProxyStyle>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// The layout's client size and frame position, used until config.txt says otherwise.
constexpr int kDesignClientWidth = 737;
constexpr int kDesignClientHeight = 579;
constexpr int kDesignLeft = 191;
constexpr int kDesignTop = 110;
constexpr int kDesignTabHeight = 443;
constexpr int kDesignMemoHeight = 89;
constexpr int kStatusBarHeight = 19;
// The toolbar's cells: buttons 23 pixels wide, separators 8, the scheme chooser 106 by 21.
constexpr int kToolBarHeight = 25;
constexpr int kButtonCellWidth = 23;
constexpr int kSeparatorWidth = 8;
constexpr int kChooserWidth = 106;
constexpr int kChooserHeight = 21;
// How long after showing the window a window manager's frame is waited for, and how often
// it is looked for.
constexpr int kFrameSettleMs = 3000;
constexpr int kFramePollMs = 20;

const QString kAboutText = QStringLiteral(
    "tiny Lumenpad\rVersion 0.2\r2026 by the Lumenpad developers\rhttps://lumenpad.org");

// The toolbar lays its cells edge to edge from its left edge, as the layout places them; the
// platform style would add margins and spacing of its own. (Separators are sized by their own
// style, so each gets its width directly.)
class ToolBarStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (metric) {
        case PM_ToolBarItemSpacing:
        case PM_ToolBarItemMargin:
        case PM_ToolBarFrameWidth:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};
} // namespace

TMainForm::TMainForm(const MainFormOptions& options, QWidget* parent)
    : QMainWindow(parent), options_(options)
{
    setObjectName(QStringLiteral("MainForm"));
    if (options_.dialogs) {
        dialogs_ = options_.dialogs;
    } else {
        ownDialogs_ = std::make_unique<QtDialogs>(this);
        dialogs_ = ownDialogs_.get();
    }
    buildControls();
    connectHandlers();
    createCommands();
    startRecovery();
    FormCreate();
    // Typing goes to the shader from the start.
    ShaderRichEdit->setFocus(Qt::OtherFocusReason);
}

TMainForm::~TMainForm()
{
    // A window destroyed without being closed still gives its context back.
    if (MainRC || MainDC) {
        try {
            closeGraphics();
        } catch (...) {
            // Nothing is left to tell about a context on the way out.
        }
    }
}

void TMainForm::buildControls()
{
    setWindowTitle(QStringLiteral("(the tiny)Lumenpad - 2026 by the Lumenpad developers"));
    resize(kDesignClientWidth, kDesignClientHeight);
    move(kDesignLeft, kDesignTop);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    auto* toolBarStyle = new ToolBarStyle;
    toolBarStyle->setParent(ToolBar1);
    ToolBar1->setStyle(toolBarStyle);
    ToolBar1->setFixedHeight(kToolBarHeight);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    auto button = [this](const char* name, int image, const QString& tip) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setIcon(ToolbarIcon(image));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(tip);
        b->setFixedSize(kButtonCellWidth, kToolBarHeight - 2);
        ToolBar1->addWidget(b);
        return b;
    };
    auto separator = [this](const char* name) {
        QAction* action = ToolBar1->addSeparator();
        action->setObjectName(QLatin1String(name));
        ToolBar1->widgetForAction(action)->setFixedWidth(kSeparatorWidth);
    };

    ToolButton1 = button("ToolButton1", 0, {});
    separator("ToolButton4");
    ToolButton2 = button("ToolButton2", 1, {});
    ToolButton3 = button("ToolButton3", 2, QStringLiteral("Datei speichern"));
    ToolButton9 = button("ToolButton9", 5, QStringLiteral("Datei speichern unter..."));
    separator("ToolButton5");
    ToolButton6 = button("ToolButton6", 3, QStringLiteral("Test VertexShader with glslValidate"));
    ToolButton7 = button("ToolButton7", 4, QStringLiteral("Test FragmentShader with glslValidate"));
    separator("ToolButton8");
    ToolButton12 = button("ToolButton12", 6, QStringLiteral("Test VertexShader with drivers glslang-implementation"));
    ToolButton13 = button("ToolButton13", 7, QStringLiteral("Test FragmentShader with drivers glslang-implementation"));
    ToolButton14 = button("ToolButton14", 9,
                          QStringLiteral("Test both shaders (combined in one program object) with drivers "
                                         "glslang-implementation"));
    separator("ToolButton11");
    ComboBoxSourceHighlight = new QComboBox(ToolBar1);
    ComboBoxSourceHighlight->setObjectName(QStringLiteral("ComboBoxSourceHighlight"));
    ComboBoxSourceHighlight->setEditable(false);
    ComboBoxSourceHighlight->addItems({QStringLiteral("Default"), QStringLiteral("Twilight"),
                                       QStringLiteral("Borland Classic")});
    ComboBoxSourceHighlight->setCurrentIndex(0);
    ComboBoxSourceHighlight->setFixedSize(kChooserWidth, kChooserHeight);
    ComboBoxSourceHighlight->setFocusPolicy(Qt::StrongFocus);
    ToolBar1->addWidget(ComboBoxSourceHighlight);
    separator("ToolButton15");
    ToolButton10 = button("ToolButton10", 8, {});
    buildTargetControls();

    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->tabBar()->setExpanding(false);
    PageControl1->setUsesScrollButtons(false);
    auto makePage = [this](const char* sheetName, const char* editorName, const QString& caption, int image,
                           ShaderEditor*& editor) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QLatin1String(sheetName));
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        editor = new ShaderEditor(sheet);
        editor->setObjectName(QLatin1String(editorName));
        layout->addWidget(editor);
        PageControl1->addTab(sheet, TabSheetIcon(image), caption);
        return sheet;
    };
    VSTabSheet = makePage("VSTabSheet", "ShaderRichEdit", QStringLiteral("VertexShader"), 0, ShaderRichEdit);
    FSTabSheet = makePage("FSTabSheet", "ShaderRichEditFS", QStringLiteral("FragmentShader"), 1, ShaderRichEditFS);
    PageControl1->setCurrentWidget(VSTabSheet);
    // Find and replace sits below the active page's editor, so the toolbar and tabs stay put.
    findBar_ = new FindBar(VSTabSheet);
    findBar_->setEditor(ShaderRichEdit);
    setAcceptDrops(true);

    glslValidateMemo = new OutputPanel;
    glslValidateMemo->setObjectName(QStringLiteral("glslValidateMemo"));

    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(PageControl1);
    Splitter1->addWidget(glslValidateMemo);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({kDesignTabHeight, kDesignMemoHeight});
    setCentralWidget(Splitter1);

    StatusBar1 = new QStatusBar;
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(std::max(kStatusBarHeight, StatusBar1->fontMetrics().height() + 4));
    // The panels are placed by StatusBar1Resize, not by the bar's layout, so that they
    // always split the bar in two halves and never hold the window at a minimum width.
    StatusPanel0 = new QLabel(StatusBar1);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel1 = new QLabel(StatusBar1);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    for (QLabel* panel : {StatusPanel0, StatusPanel1}) {
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
    }
    StatusBar1->installEventFilter(this);
    setStatusBar(StatusBar1);


    frameSettleTimer_ = new QTimer(this);
    frameSettleTimer_->setInterval(kFramePollMs);
    connect(frameSettleTimer_, &QTimer::timeout, this, [this] { settleFrame(); });

    StartTimer = new QTimer(this);
    StartTimer->setObjectName(QStringLiteral("StartTimer"));
    StartTimer->setInterval(options_.startTimerInterval);
    StartTimer->setSingleShot(false); // disarmed by its own handler, as the layout has it
}

void TMainForm::runGuarded(void (TMainForm::*handler)())
{
    RunHandler(*dialogs_, [this, handler] { (this->*handler)(); });
}

void TMainForm::runCommand(void (TMainForm::*handler)())
{
    // Every command sees whole pages: a file still loading is finished first.
    for (ShaderEditor* editor : {ShaderRichEdit, ShaderRichEditFS})
        editor->finishLoading();
    runGuarded(handler);
}

void TMainForm::connectHandlers()
{
    const std::pair<QToolButton*, void (TMainForm::*)()> clicks[] = {
        {ToolButton1, &TMainForm::ToolButton1Click},   {ToolButton2, &TMainForm::ToolButton2Click},
        {ToolButton3, &TMainForm::ToolButton3Click},   {ToolButton9, &TMainForm::ToolButton9Click},
        {ToolButton6, &TMainForm::ToolButton6Click},   {ToolButton7, &TMainForm::ToolButton7Click},
        {ToolButton12, &TMainForm::ToolButton12Click}, {ToolButton13, &TMainForm::ToolButton13Click},
        {ToolButton14, &TMainForm::ToolButton14Click}, {ToolButton10, &TMainForm::ToolButton10Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QToolButton::clicked, this, [this, handler = handler] { runCommand(handler); });

    connect(ComboBoxSourceHighlight, &QComboBox::activated, this,
            [this] { runGuarded(&TMainForm::ComboBoxSourceHighlightChange); });
    connect(ShaderRichEdit, &QPlainTextEdit::textChanged, this,
            [this] { runGuarded(&TMainForm::ShaderRichEditChange); });
    connect(ShaderRichEditFS, &QPlainTextEdit::textChanged, this,
            [this] { runGuarded(&TMainForm::ShaderRichEditFSChange); });
    connect(ShaderRichEdit, &ShaderEditor::pointerMoved, this, [this](int x, int y) {
        RunHandler(*dialogs_, [&] { ShaderRichEditMouseMove(x, y); });
    });
    connect(ShaderRichEditFS, &ShaderEditor::pointerMoved, this, [this](int x, int y) {
        RunHandler(*dialogs_, [&] { ShaderRichEditFSMouseMove(x, y); });
    });
    connect(glslValidateMemo, &OutputPanel::lineActivated, this,
            [this](int index) { RunHandler(*dialogs_, [&] { OutputLineActivated(index); }); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { findBar_->setEditor(activePage().editor); });
    for (ShaderEditor* editor : {ShaderRichEdit, ShaderRichEditFS})
        connect(editor, &ShaderEditor::filesDropped, this, &TMainForm::openFiles, Qt::QueuedConnection);
    connect(StartTimer, &QTimer::timeout, this, [this] { runGuarded(&TMainForm::StartTimerTimer); });
    connect(TargetChooser, &QComboBox::activated, this, [this] { runGuarded(&TMainForm::TargetChooserChange); });
    connect(CheckAllTargetsButton, &QToolButton::clicked, this,
            [this] { runCommand(&TMainForm::CheckAllTargetsClick); });
}

TMainForm::Page TMainForm::vertexPage()
{
    return {ShaderRichEdit, &VSDocument, StatusPanel0, "VS:", VSTabSheet, &vertexWatch_};
}

TMainForm::Page TMainForm::fragmentPage()
{
    return {ShaderRichEditFS, &FSDocument, StatusPanel1, "FS:", FSTabSheet, &fragmentWatch_};
}

TMainForm::Page TMainForm::activePage()
{
    return PageControl1->currentWidget() == FSTabSheet ? fragmentPage() : vertexPage();
}

TMainForm::Page TMainForm::pageForFile(const QString& path)
{
    const std::optional<ShaderStage> stage = StageFromFileName(path.toStdString());
    if (stage == ShaderStage::Vertex)
        return vertexPage();
    if (stage == ShaderStage::Fragment)
        return fragmentPage();
    return activePage();
}

// ---- Start-up -------------------------------------------------------------------------

void TMainForm::FormCreate()
{
    // Each step reports its own failure and the next still runs, so one bad settings line
    // cannot leave the window without hints, driver checks or its deferred start step.
    preferences_ = LoadPreferences(preferencesFile());

    RunHandler(*dialogs_, [this] {
        const SettingsReadResult read = ReadSettingsFile(QStringLiteral("config.txt"));
        const StoredSettings& v = read.values;
        if (read.linesRead >= 3) {
            ValidatorDir = v.validatorDir;
            VSDocument.FileName = v.vertexFile;
            FSDocument.FileName = v.fragmentFile;
        }
        if (read.linesRead >= 4) {
            // The numbers go to the window as read, within what a window can have: extreme
            // values would overflow the rectangle's arithmetic.
            const auto size = [](int n) { return std::clamp(n, 0, QWIDGETSIZE_MAX); };
            const auto place = [](int n) { return std::clamp(n, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX); };
            requestedFrame_ = QRect(place(v.left), place(v.top), size(v.width), size(v.height));
            applyStartGeometry();
        }
        if (read.linesRead >= 5 && v.maximised == 1)
            setWindowState(windowState() | Qt::WindowMaximized);
        if (read.linesRead >= 6) {
            // An index the chooser does not have leaves it without a selection.
            const QSignalBlocker quiet(ComboBoxSourceHighlight);
            ComboBoxSourceHighlight->setCurrentIndex(
                v.schemeIndex >= 0 && v.schemeIndex < ComboBoxSourceHighlight->count() ? v.schemeIndex : -1);
        }
        if (!read.errorMessage.isEmpty())
            throw LumenpadError(read.errorMessage);
    });

    RunHandler(*dialogs_, [this] {
        const QString quoted = QLatin1Char('"') + ValidatorDir + QLatin1Char('"');
        if (!ValidatorDir.isEmpty() && QFileInfo(ValidatorDir + QStringLiteral("/glslvalidate")).isFile()) {
            glslValidateMemo->appendLine(QStringLiteral("glslValidate.exe present in ") + quoted +
                                         QStringLiteral("..."));
        } else {
            glslValidateMemo->appendLine(QStringLiteral("glslValidate.exe not found in ") + quoted +
                                         QStringLiteral(", please specify the correct path in config.txt!"));
            glslValidateMemo->appendLine(QStringLiteral(
                "If you don't do this or haven't installed glslValidate, then the shaders can't be validated..."));
        }
    });

    RunHandler(*dialogs_, [this] { createHelpSystem(); });
    completionWords_ = CompletionWords::FromWordLists(HelpSystem);
    for (ShaderEditor* editor : {ShaderRichEdit, ShaderRichEditFS})
        editor->setCompletionWords(completionWords_);
    applyPreferences();
    if (preferences_.panelHeight > 0)
        Splitter1->setSizes({std::max(height() - preferences_.panelHeight, 1), preferences_.panelHeight});
    RunHandler(*dialogs_, [this] { openGraphics(); });
    StartTimer->start();
}

void TMainForm::applyStartGeometry()
{
    QRect frame = requestedFrame_;
    // A window saved on a screen that is gone would open where nobody can reach it.
    const QScreen* home = nullptr;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (!home && screen->geometry().intersects(frame))
            home = screen;
    }
    if (!home && QGuiApplication::primaryScreen()) {
        home = QGuiApplication::primaryScreen();
        frame.moveTopLeft(home->availableGeometry().topLeft());
    }
    // A window larger than its screen costs memory for pixels nobody sees, and its frame
    // could not be reached to make it smaller.
    if (home)
        frame.setSize(frame.size().boundedTo(home->availableGeometry().size()));
    requestedFrame_ = frame;
    // Until the window manager has framed the window, client and frame sizes are the same;
    // showEvent and the start step correct the client size once the frame is known.
    resize(std::max(frame.width(), 1), std::max(frame.height(), 1));
    move(frame.topLeft());
    settledSize_ = size();
}

void TMainForm::fitFrameToRequest()
{
    if (!requestedFrame_.isValid() || isMaximized() || isFullScreen())
        return;
    const QSize margins = frameGeometry().size() - geometry().size();
    const QSize client = requestedFrame_.size() - margins;
    if (client != size())
        resize(client.expandedTo(QSize(1, 1)));
    settledSize_ = size();
    if (frameGeometry().topLeft() != requestedFrame_.topLeft())
        move(requestedFrame_.topLeft());
}

void TMainForm::settleFrame()
{
    // Before a frame is seen, a size the settle did not give is the user's: it is kept.
    const bool resizedByOthers = frameGeometry().size() == geometry().size() && size() != settledSize_;
    if (!requestedFrame_.isValid() || resizedByOthers) {
        frameSettleTimer_->stop();
        requestedFrame_ = QRect();
        return;
    }
    fitFrameToRequest();
    // Once a frame is there and fitted, the window is the user's to move and size; without
    // a window manager there is never a frame, and the window is already as asked.
    const bool framed = frameGeometry().size() != geometry().size();
    if (framed || isMaximized() || isFullScreen() || sinceShown_.elapsed() >= kFrameSettleMs) {
        frameSettleTimer_->stop();
        requestedFrame_ = QRect();
    }
}

bool TMainForm::focusNextPrevChild(bool next)
{
    // Tab cycles through the scheme chooser, the output panel, the tab strip and the active
    // page's editor, and from the last back to the first.
    const QList<QWidget*> cycle = {ComboBoxSourceHighlight, glslValidateMemo, PageControl1->tabBar(),
                                   activePage().editor};
    const qsizetype at = cycle.indexOf(QApplication::focusWidget());
    if (at < 0)
        return QMainWindow::focusNextPrevChild(next);
    const qsizetype count = cycle.size();
    cycle[(at + (next ? 1 : count - 1)) % count]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!firstShowDone_) {
        firstShowDone_ = true;
        sinceShown_.start();
        frameSettleTimer_->start();
        QTimer::singleShot(0, this, [this] { settleFrame(); });
    }
}

void TMainForm::StartTimerTimer()
{
    // Disarmed first: whatever fails below, this step never runs a second time.
    StartTimer->stop();

    ApplyColourScheme(ShaderRichEdit, ComboBoxSourceHighlight->currentIndex());
    ApplyColourScheme(ShaderRichEditFS, ComboBoxSourceHighlight->currentIndex());

    openStartFiles();
    offerRecovery();
    // Well after the window is painted, so the driver's loading takes nothing from the start;
    // a helper that cannot start is reported by the first check.
    if (options_.driverPrestartMs >= 0)
        QTimer::singleShot(options_.driverPrestartMs, this,
                           [this] {
                               if (!closing_)
                                   isolatedDriver().start(options_.driverAddressSpace);
                           });
    emit startStepDone();
}

// ---- Shutdown -------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    for (const Page& page : {vertexPage(), fragmentPage()}) {
        if (!askToSave(page, true)) {
            event->ignore();
            return;
        }
    }
    closing_ = true;
    FormClose();
    event->accept();
}

void TMainForm::FormClose()
{
    recovery_->discard();
    isolatedDriver_.reset();
    RunHandler(*dialogs_, [this] { closeGraphics(); });
    rememberCaret(vertexPage());
    rememberCaret(fragmentPage());
    refreshPreferences();
    preferences_.panelHeight = glslValidateMemo->height();
    RunHandler(*dialogs_, [this] { savePreferences(); });
    RunHandler(*dialogs_, [this] {
        StoredSettings s;
        s.validatorDir = ValidatorDir;
        s.vertexFile = VSDocument.FileName;
        s.fragmentFile = FSDocument.FileName;
        // Closed before the window manager framed the window: the asked-for geometry still
        // holds, and the unfitted frame would grow the window by its border at every start.
        const bool requestPending = requestedFrame_.isValid() && !isMaximized() && !isFullScreen();
        const QRect frame = requestPending ? requestedFrame_ : frameGeometry();
        s.width = frame.width();
        s.height = frame.height();
        s.top = frame.top();
        s.left = frame.left();
        s.maximised = isMaximized() ? 1 : 0;
        s.schemeIndex = ComboBoxSourceHighlight->currentIndex();
        const QString dir =
            options_.settingsWriteDir.isEmpty() ? QCoreApplication::applicationDirPath() : options_.settingsWriteDir;
        WriteSettingsFile(QDir(dir).filePath(QStringLiteral("config.txt")), s);
    });
}

// ---- Window handlers ------------------------------------------------------------------

void TMainForm::ToolButton10Click()
{
    dialogs_->showAbout(kAboutText);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StatusBar1 && event->type() == QEvent::Resize)
        StatusBar1Resize();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::StatusBar1Resize()
{
    const int half = StatusBar1->width() / 2;
    const int height = StatusBar1->height();
    StatusPanel0->setGeometry(0, 0, half, height);
    StatusPanel1->setGeometry(half, 0, half, height);
}

// ---- Colouring ------------------------------------------------------------------------

void TMainForm::HighlightAllLines(ShaderEditor* editor)
{
    editor->highlighter().HighlightAllLines();
}

void TMainForm::ComboBoxSourceHighlightChange()
{
    ApplyColourScheme(ShaderRichEdit, ComboBoxSourceHighlight->currentIndex());
    ApplyColourScheme(ShaderRichEditFS, ComboBoxSourceHighlight->currentIndex());
    HighlightAllLines(ShaderRichEdit);
    HighlightAllLines(ShaderRichEditFS);
}

void TMainForm::pageChanged(ShaderEditor* editor, QWidget* sheet, TSyntaxRichEdit& document)
{
    // The highlighter recolours every line an edit touches by itself; what is left here is
    // the document's changed mark, for the page the user works on. The pieces of a file
    // still loading are no change.
    if (PageControl1->currentWidget() != sheet || editor->isAppendingLoad())
        return;
    if (editor->lineCount() >= 1)
        document.Changed = true;
}

void TMainForm::ShaderRichEditChange()
{
    pageChanged(ShaderRichEdit, VSTabSheet, VSDocument);
}

void TMainForm::ShaderRichEditFSChange()
{
    pageChanged(ShaderRichEditFS, FSTabSheet, FSDocument);
}
