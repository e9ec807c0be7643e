#pragma once

#include <QObject>
#include <QString>

class QApplication;
class QEvent;

// How long a shown tool-tip stays up, in milliseconds, for every tool-tip of the
// application. It starts at kDefaultHintHidePause; the pointer hints raise it.
inline constexpr int kDefaultHintHidePause = 2500;
int HintHidePause();
void SetHintHidePause(int milliseconds);

// A tool-tip text as shown: the hint catalogue separates lines with a lone CR, which the
// tool-tip label would not break at, so CR LF and CR become LF.
QString ToolTipDisplayText(const QString& text);

// Shows the tool-tip of any widget with a non-empty toolTip() itself, so the hide pause
// above applies everywhere, the toolbar's buttons included. Widgets without a tool-tip of
// their own are left to Qt (the request then goes on to their parent).
class HintTimingFilter : public QObject {
    Q_OBJECT
public:
    explicit HintTimingFilter(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installs one HintTimingFilter on the application, owned by it; a second call does nothing.
void InstallHintTiming(QApplication& app);
