#pragma once

#include <QString>
#include <QStringList>

struct Preferences;
class QWidget;

// Every modal dialog the window opens goes through this interface, so widget tests can
// script the answers. The program uses QtDialogs; tests use a scripted implementation.
class Dialogs {
public:
    enum class SaveAnswer { Yes, No, Cancel };
    // What Save does with a file that changed on disk since the page read or saved it.
    enum class DiskAnswer { Overwrite, Reload, Cancel };

    virtual ~Dialogs() = default;

    // "File has been changed!Save changes?" with "&Ja" (default) and "&Nein"; with
    // allowCancel a third button "Abbrechen", also what Escape chooses, is offered.
    virtual SaveAnswer askSaveChanges(bool allowCancel) = 0;
    // Save found the page's file changed on disk by someone else.
    virtual DiskAnswer askOverwriteChangedFile(const QString& path) = 0;
    // The file of a page without edits changed on disk; true reloads it.
    virtual bool askReloadChangedFile(const QString& path) = 0;
    // Asks for "line" or "line:column"; returns the text typed, or an empty text when cancelled.
    virtual QString askGoToLine(int lineCount) = 0;
    // Edits the preferences in place; false when the user cancelled.
    virtual bool editPreferences(Preferences& preferences) = 0;
    // The list of keyboard commands.
    virtual void showKeys(const QString& text) = 0;
    // Returns the chosen path, or an empty text when the user cancelled.
    virtual QString openShaderFile(const QString& lastPath) = 0;
    virtual QString saveShaderFile(const QString& lastPath) = 0;
    // The modal error box titled "Lumenpad"; text is shown as given.
    virtual void showError(const QString& text) = 0;
    // The about box titled "Informationen".
    virtual void showAbout(const QString& text) = 0;
    // At start: a window ended without closing and left these pages' unsaved text (one line
    // each); true restores them.
    virtual bool askRestorePages(const QStringList& pages) = 0;
};

// The real dialogs, parented to the main window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}

    SaveAnswer askSaveChanges(bool allowCancel) override;
    DiskAnswer askOverwriteChangedFile(const QString& path) override;
    bool askReloadChangedFile(const QString& path) override;
    QString askGoToLine(int lineCount) override;
    bool editPreferences(Preferences& preferences) override;
    void showKeys(const QString& text) override;
    QString openShaderFile(const QString& lastPath) override;
    QString saveShaderFile(const QString& lastPath) override;
    void showError(const QString& text) override;
    void showAbout(const QString& text) override;
    bool askRestorePages(const QStringList& pages) override;

private:
    QWidget* parent_;
};

// The file-dialog filter shared by the open and save dialogs.
// The description shown is "glSlang-Shader (*.txt;*.glsl;*.vert;*.frag)"; the trailing group
// holds the patterns in the form Qt parses, and is hidden with HideNameFilterDetails.
inline constexpr const char* kShaderFileFilter =
    "glSlang-Shader (*.txt;*.glsl;*.vert;*.frag) (*.txt *.glsl *.vert *.frag)";
// The open dialog's second entry, shown as "All files (*)".
inline constexpr const char* kAllFilesFilter = "All files (*) (*)";
