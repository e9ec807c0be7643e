#pragma once

#include <functional>

#include "Dialogs.h"

#include <QStringList>
#include <deque>

// Answers the window's modal dialogs from a script and records what was asked.
class ScriptedDialogs : public Dialogs {
public:
    std::deque<SaveAnswer> saveAnswers; // an empty script answers No
    std::deque<QString> openPaths;      // an empty script cancels
    std::deque<QString> savePaths;      // an empty script cancels
    std::deque<DiskAnswer> diskAnswers; // an empty script overwrites
    std::deque<bool> reloadAnswers;     // an empty script keeps the page
    std::deque<QString> goToLines;      // an empty script cancels
    std::deque<bool> restoreAnswers;    // an empty script declines

    int saveQuestions = 0;
    int saveQuestionsWithCancel = 0;
    int openDialogs = 0;
    int saveDialogs = 0;
    int diskQuestions = 0;
    int reloadQuestions = 0;
    QStringList errors;
    QStringList aboutTexts;
    QList<QStringList> restoreQuestions; // the pages each restore question named

    SaveAnswer askSaveChanges(bool allowCancel) override
    {
        ++saveQuestions;
        if (allowCancel)
            ++saveQuestionsWithCancel;
        return take(saveAnswers, SaveAnswer::No);
    }
    QString openShaderFile(const QString&) override
    {
        ++openDialogs;
        return take(openPaths, QString());
    }
    QString saveShaderFile(const QString&) override
    {
        ++saveDialogs;
        return take(savePaths, QString());
    }
    DiskAnswer askOverwriteChangedFile(const QString&) override
    {
        ++diskQuestions;
        return take(diskAnswers, DiskAnswer::Overwrite);
    }
    bool askReloadChangedFile(const QString&) override
    {
        ++reloadQuestions;
        return take(reloadAnswers, false);
    }
    QString askGoToLine(int) override { return take(goToLines, QString()); }
    // Returns the preferences as the user leaves them, when a change is scripted.
    bool editPreferences(Preferences& preferences) override
    {
        if (!preferencesEdit)
            return false;
        preferencesEdit(preferences);
        return true;
    }
    std::function<void(Preferences&)> preferencesEdit;
    void showKeys(const QString&) override {}
    void showError(const QString& text) override { errors.append(text); }
    void showAbout(const QString& text) override { aboutTexts.append(text); }
    // An empty script declines.
    bool askRestorePages(const QStringList& pages) override
    {
        restoreQuestions.append(pages);
        return take(restoreAnswers, false);
    }

private:
    template <typename T>
    static T take(std::deque<T>& script, T fallback)
    {
        if (script.empty())
            return fallback;
        T value = script.front();
        script.pop_front();
        return value;
    }
};
