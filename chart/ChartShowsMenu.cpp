#include "chart/ChartShowsMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

ChartShowsMenu::ChartShowsMenu(QWidget* chart, Current current, Chosen chosen)
    : chart_(chart), current_(std::move(current)), chosen_(std::move(chosen)) {
    if (!chart) return;
    chart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chart, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) { open(at); });
}

void ChartShowsMenu::open(const QPoint& at) {
    if (!chart_) return;
    QMenu menu(chart_);
    QActionGroup group(&menu);
    const ChartShows now = current_ ? current_() : ChartShows::GSensor;
    for (const ChartShows shows : {ChartShows::GSensor, ChartShows::Car, ChartShows::Both}) {
        // An '&' of a language file is a letter, not a shortcut mark.
        QString text = texts_[static_cast<size_t>(shows)];
        QAction* action = menu.addAction(text.replace('&', QStringLiteral("&&")));
        action->setCheckable(true);
        action->setChecked(shows == now);
        action->setData(static_cast<int>(shows));
        group.addAction(action);
    }
    const QAction* picked = menu.exec(chart_->mapToGlobal(at));
    if (picked && chosen_) chosen_(static_cast<ChartShows>(picked->data().toInt()));
}
