#pragma once
// The chart's context menu: what the chart shows, the G-sensor's axes, a
// car's speed, pedal and brake, or both; the current choice is checked. A
// choice goes to the owner's handler, which draws and keeps it.
//
// Threads: UI thread. Lifecycle: made once the chart exists; its menu is
// built when asked for and closed before the call returns.
#include "chart/ChartShows.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class ChartShowsMenu : public QObject {
public:
    using Current = std::function<ChartShows()>;
    using Chosen = std::function<void(ChartShows)>;

    // Null chart: nothing is built.
    ChartShowsMenu(QWidget* chart, Current current, Chosen chosen);

    // The entries' texts, by ChartShows; plain text.
    void SetTexts(const std::array<QString, 3>& texts) { texts_ = texts; }

private:
    void open(const QPoint& at);

    QPointer<QWidget> chart_;
    Current current_;
    Chosen chosen_;
    std::array<QString, 3> texts_{QStringLiteral("G-sensor"), QStringLiteral("Speed, pedal and brake"),
                                  QStringLiteral("G-sensor and car")};
};
