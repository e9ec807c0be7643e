#pragma once

#include <QString>

class QWidget;

// Every modal dialog the window opens goes through this interface, so widget tests can
// script the answers. The program uses QtDialogs; tests use a scripted implementation.
class Dialogs {
public:
    enum class SaveAnswer { Yes, No, Cancel };

    virtual ~Dialogs() = default;

    // "File has been changed!Save changes?" with "&Ja" (default) and "&Nein"; with
    // allowCancel a third button "Abbrechen" is offered (used when closing the window).
    virtual SaveAnswer askSaveChanges(bool allowCancel) = 0;
    // Returns the chosen path, or an empty text when the user cancelled.
    virtual QString openShaderFile(const QString& lastPath) = 0;
    virtual QString saveShaderFile(const QString& lastPath) = 0;
    // The modal error box titled "Lumenpad"; text is shown as given.
    virtual void showError(const QString& text) = 0;
    // The about box titled "Informationen".
    virtual void showAbout(const QString& text) = 0;
};

// The real dialogs, parented to the main window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}

    SaveAnswer askSaveChanges(bool allowCancel) override;
    QString openShaderFile(const QString& lastPath) override;
    QString saveShaderFile(const QString& lastPath) override;
    void showError(const QString& text) override;
    void showAbout(const QString& text) override;

private:
    QWidget* parent_;
};

// The file-dialog filter shared by the open and save dialogs.
// The description shown is "glSlang-Shader (*.txt;*.glsl;*.vert;*.frag)"; the trailing group
// holds the patterns in the form Qt parses, and is hidden with HideNameFilterDetails.
inline constexpr const char* kShaderFileFilter =
    "glSlang-Shader (*.txt;*.glsl;*.vert;*.frag) (*.txt *.glsl *.vert *.frag)";
