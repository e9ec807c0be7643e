#include "HintTiming.h"

#include <QApplication>
#include <QHelpEvent>
#include <QRect>
#include <QToolTip>
#include <QWidget>

namespace {
int hintHidePause = kDefaultHintHidePause;
} // namespace

int HintHidePause()
{
    return hintHidePause;
}

void SetHintHidePause(int milliseconds)
{
    hintHidePause = milliseconds;
}

QString ToolTipDisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

HintTimingFilter::HintTimingFilter(QObject* parent) : QObject(parent) {}

bool HintTimingFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    const QString tip = widget->toolTip();
    if (tip.isEmpty())
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), ToolTipDisplayText(tip), widget, QRect(), HintHidePause());
    return true;
}

void InstallHintTiming(QApplication& app)
{
    if (app.findChild<HintTimingFilter*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    app.installEventFilter(new HintTimingFilter(&app));
}
