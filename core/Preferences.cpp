#include "Preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString kTabWidth = QStringLiteral("editor/tabWidth");
const QString kTabKeyIndents = QStringLiteral("editor/tabKeyIndents");
const QString kAutoIndent = QStringLiteral("editor/autoIndent");
const QString kCompletion = QStringLiteral("editor/completion");
const QString kIncludePaths = QStringLiteral("checks/includePaths");
const QString kTarget = QStringLiteral("checks/target");
const QString kPanelHeight = QStringLiteral("window/panelHeight");
const QString kCarets = QStringLiteral("carets");

int IntIn(const QSettings& store, const QString& key, int fallback, int low, int high)
{
    bool ok = false;
    const int value = store.value(key).toInt(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

bool Flag(const QSettings& store, const QString& key, bool fallback)
{
    const QVariant value = store.value(key);
    return value.isValid() ? value.toBool() : fallback;
}

} // namespace

QString PreferencesFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/lumenpad/lumenpad.conf");
}

Preferences ReadPreferences(QSettings& store)
{
    Preferences p;
    p.tabWidth = IntIn(store, kTabWidth, p.tabWidth, kMinTabWidth, kMaxTabWidth);
    p.tabKeyIndents = Flag(store, kTabKeyIndents, p.tabKeyIndents);
    p.autoIndent = Flag(store, kAutoIndent, p.autoIndent);
    p.completion = Flag(store, kCompletion, p.completion);
    p.includePaths = store.value(kIncludePaths).toStringList();
    const QString target = store.value(kTarget).toString();
    if (!target.isEmpty())
        p.target = target;
    p.panelHeight = IntIn(store, kPanelHeight, 0, 0, 100000);

    const int count = store.beginReadArray(kCarets);
    for (int i = 0; i < std::min(count, kMaxRememberedCarets); ++i) {
        store.setArrayIndex(i);
        const QString path = store.value(QStringLiteral("path")).toString();
        if (path.isEmpty())
            continue;
        p.carets.insert(path, {IntIn(store, QStringLiteral("line"), 1, 1, 1 << 30),
                               IntIn(store, QStringLiteral("column"), 1, 1, 1 << 30)});
    }
    store.endArray();
    return p;
}

void WritePreferences(QSettings& store, const Preferences& p)
{
    store.setValue(kTabWidth, std::clamp(p.tabWidth, kMinTabWidth, kMaxTabWidth));
    store.setValue(kTabKeyIndents, p.tabKeyIndents);
    store.setValue(kAutoIndent, p.autoIndent);
    store.setValue(kCompletion, p.completion);
    store.setValue(kIncludePaths, p.includePaths);
    store.setValue(kTarget, p.target);
    store.setValue(kPanelHeight, p.panelHeight);
    store.remove(kCarets);
    store.beginWriteArray(kCarets);
    int i = 0;
    for (auto it = p.carets.cbegin(); it != p.carets.cend() && i < kMaxRememberedCarets; ++it, ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("path"), it.key());
        store.setValue(QStringLiteral("line"), it->line);
        store.setValue(QStringLiteral("column"), it->column);
    }
    store.endArray();
}

Preferences LoadPreferences(const QString& file)
{
    QSettings store(file, QSettings::IniFormat);
    return ReadPreferences(store);
}

bool SavePreferences(const Preferences& preferences, const QString& file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings store(file, QSettings::IniFormat);
    WritePreferences(store, preferences);
    store.sync();
    return store.status() == QSettings::NoError;
}
