#include "app/VehiclePanelRows.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>

namespace {

// The box layout that holds the widget, searched below its parent.
QBoxLayout* layoutHolding(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    if (!parent) return nullptr;
    for (QBoxLayout* layout : parent->findChildren<QBoxLayout*>())
        if (layout->indexOf(widget) >= 0) return layout;
    return nullptr;
}

}  // namespace

VehiclePanelRows::VehiclePanelRows(QWidget* gpsPanel) : gpsPanel_(gpsPanel) {
    if (!gpsPanel) return;
    QBoxLayout* holder = layoutHolding(gpsPanel);
    if (!holder) return;
    auto* panel = new QWidget(gpsPanel->parentWidget());
    panel->setObjectName(QStringLiteral("PlayerVehicleInfo"));
    panel->setAttribute(Qt::WA_StyledBackground);
    // Six rows fit the GPS panel's height.
    panel->setFixedHeight(gpsPanel->minimumHeight() > 0 ? gpsPanel->minimumHeight() : 164);
    panel->setMinimumWidth(180);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(16, 12, 16, 12);
    column->setSpacing(4);
    for (size_t row = 0; row < rows_.size(); ++row) {
        auto* label = new QLabel(panel);
        label->setObjectName(QString::fromLatin1(VehiclePanelTexts::kLabelNames[row]));
        label->setTextFormat(Qt::PlainText);  // the language file's words, as written
        label->setMinimumHeight(18);
        label->hide();
        column->addWidget(label);
        rows_[row] = label;
    }
    column->addStretch(1);
    holder->insertWidget(holder->indexOf(gpsPanel) + 1, panel);
    panel->hide();
    panel_ = panel;
    gpsPanel->installEventFilter(this);
}

void VehiclePanelRows::Show(const VehiclePanelTexts& texts) {
    if (!panel_) return;
    for (size_t row = 0; row < rows_.size(); ++row) {
        const auto& line = texts.line(static_cast<VehiclePanelTexts::Row>(row));
        if (!rows_[row]) continue;
        rows_[row]->setText(line ? QString::fromStdString(*line) : QString());
        rows_[row]->setVisible(line.has_value());
    }
    anyShown_ = texts.anyShown();
    followGpsPanel();
}

bool VehiclePanelRows::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gpsPanel_ && (event->type() == QEvent::Hide || event->type() == QEvent::Show)) followGpsPanel();
    return false;
}

void VehiclePanelRows::followGpsPanel() {
    if (!panel_) return;
    const bool gpsShown = gpsPanel_ && !gpsPanel_->isHidden();
    panel_->setVisible(anyShown_ && gpsShown);
}
