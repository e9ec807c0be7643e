// The window's commands with their keys: one action each, created once, reachable from the
// keyboard anywhere in the window and listed in the editors' context menu and by F1. The
// toolbar buttons keep their own tool-tips; the keys run the same handlers.
#include "MainForm.h"

#include "Completion.h"
#include "Indentation.h"
#include "ShaderEditor.h"

#include <QAction>

namespace {

using Handler = void (TMainForm::*)();

struct Command {
    const char* name;  // the action's objectName
    const char* text;  // menu text
    QList<QKeySequence> keys;
    Handler handler;   // a handler of the window, or null for an editor command below
};

QKeySequence Keys(QKeyCombination key)
{
    return QKeySequence(key);
}

} // namespace

void TMainForm::createCommands()
{
    using K = QKeySequence;
    const auto ctrl = Qt::ControlModifier;
    const auto shift = Qt::ShiftModifier;
    // In menu order; an entry without a name separates groups. Go to line takes Ctrl+G, so
    // find next and previous keep to F3 and Shift+F3 alone.
    const Command commands[] = {
        {"actionNew", "New", {K(K::New)}, &TMainForm::ToolButton1Click},
        {"actionOpen", "Open...", {K(K::Open)}, &TMainForm::ToolButton2Click},
        {"actionSave", "Save", {K(K::Save)}, &TMainForm::ToolButton3Click},
        {"actionSaveAs", "Save As...", {Keys(ctrl | shift | Qt::Key_S)}, &TMainForm::ToolButton9Click},
        {},
        {"actionUndo", "Undo", {K(K::Undo)}, nullptr},
        {"actionRedo", "Redo", {Keys(ctrl | shift | Qt::Key_Z), Keys(ctrl | Qt::Key_Y)}, nullptr},
        {"actionFind", "Find...", {K(K::Find)}, &TMainForm::FindCommand},
        {"actionFindNext", "Find Next", {Keys(Qt::Key_F3)}, &TMainForm::FindNextCommand},
        {"actionFindPrevious", "Find Previous", {Keys(shift | Qt::Key_F3)}, &TMainForm::FindPreviousCommand},
        {"actionReplace", "Replace...", {Keys(ctrl | Qt::Key_H)}, &TMainForm::ReplaceCommand},
        {"actionGoToLine", "Go to Line...", {Keys(ctrl | Qt::Key_G)}, &TMainForm::GoToLineCommand},
        {},
        {"actionToggleComment", "Toggle Line Comment", {Keys(ctrl | Qt::Key_Slash)}, nullptr},
        {"actionIndent", "Indent Lines", {Keys(ctrl | Qt::Key_BracketRight)}, nullptr},
        {"actionUnindent", "Unindent Lines", {Keys(ctrl | Qt::Key_BracketLeft)}, nullptr},
        {"actionComplete", "Complete Word", {Keys(ctrl | Qt::Key_Space)}, nullptr},
        {},
        {"actionValidateVertex", "Test VertexShader with glslValidate", {Keys(Qt::Key_F5)},
         &TMainForm::ToolButton6Click},
        {"actionValidateFragment", "Test FragmentShader with glslValidate", {Keys(Qt::Key_F6)},
         &TMainForm::ToolButton7Click},
        {"actionDriverVertex", "Test VertexShader with the driver", {Keys(Qt::Key_F7)},
         &TMainForm::ToolButton12Click},
        {"actionDriverFragment", "Test FragmentShader with the driver", {Keys(Qt::Key_F8)},
         &TMainForm::ToolButton13Click},
        {"actionDriverBoth", "Test both shaders linked with the driver", {Keys(Qt::Key_F9)},
         &TMainForm::ToolButton14Click},
        {"actionNextDiagnostic", "Next Message Line", {Keys(Qt::Key_F4)}, &TMainForm::NextDiagnosticCommand},
        {"actionPreviousDiagnostic", "Previous Message Line", {Keys(shift | Qt::Key_F4)},
         &TMainForm::PreviousDiagnosticCommand},
        {},
        {"actionPreferences", "Preferences...", {Keys(ctrl | Qt::Key_Comma)}, &TMainForm::PreferencesCommand},
        {"actionKeys", "Keyboard Shortcuts", {K(K::HelpContents)}, &TMainForm::KeysCommand},
    };

    // Commands on the active page's editor.
    const auto onEditor = [this](const QString& name) -> std::function<void(ShaderEditor*)> {
        if (name == QLatin1String("actionUndo"))
            return [](ShaderEditor* e) { e->undo(); };
        if (name == QLatin1String("actionRedo"))
            return [](ShaderEditor* e) { e->redo(); };
        if (name == QLatin1String("actionToggleComment"))
            return [](ShaderEditor* e) { ToggleLineComment(e); };
        if (name == QLatin1String("actionIndent"))
            return [this](ShaderEditor* e) { IndentLines(e, preferences_.tabWidth); };
        if (name == QLatin1String("actionUnindent"))
            return [this](ShaderEditor* e) { UnindentLines(e, preferences_.tabWidth); };
        return [](ShaderEditor* e) {
            if (e->completion())
                e->completion()->complete();
        };
    };

    for (const Command& command : commands) {
        if (!command.name) {
            commandActions_.append(nullptr);
            continue;
        }
        auto* action = new QAction(QString::fromLatin1(command.text), this);
        action->setObjectName(QLatin1String(command.name));
        action->setShortcuts(command.keys);
        addAction(action);
        commandActions_.append(action);
        if (command.handler) {
            connect(action, &QAction::triggered, this, [this, handler = command.handler] { runCommand(handler); });
        } else {
            connect(action, &QAction::triggered, this, [this, run = onEditor(action->objectName())] {
                ShaderEditor* editor = activePage().editor;
                editor->finishLoading();
                editor->setFocus(Qt::ShortcutFocusReason);
                run(editor);
            });
        }
    }
    // The editors' own menu has Undo and Redo already.
    QList<QAction*> menu = commandActions_;
    menu.removeIf([](const QAction* a) {
        return a && (a->objectName() == QLatin1String("actionUndo") || a->objectName() == QLatin1String("actionRedo"));
    });
    for (ShaderEditor* editor : {ShaderRichEdit, ShaderRichEditFS})
        editor->setCommandActions(menu);
}

QString TMainForm::keyListText() const
{
    QString rows;
    for (const QAction* action : commandActions_) {
        if (!action) {
            rows += QStringLiteral("<tr><td colspan=2>&nbsp;</td></tr>");
            continue;
        }
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys.append(key.toString(QKeySequence::NativeText).toHtmlEscaped());
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(keys.join(QStringLiteral(", ")), action->text().toHtmlEscaped());
    }
    rows += QStringLiteral("<tr><td><b>Tab, Shift+Tab</b></td><td>Next and previous control; "
                           "indent and unindent when set in the preferences</td></tr>");
    return QStringLiteral("<table cellspacing=2 cellpadding=1>") + rows + QStringLiteral("</table>");
}
