#pragma once
// The information panel's rows of a car's own channels: a small panel of its
// own ("PlayerVehicleInfo") beside the GPS panel, one label per channel
// (VehiclePanelTexts::kLabelNames). A row shows only while the moment has
// its channel; without any the whole panel is hidden, so clips of other
// cameras look as before. It hides with the GPS panel (full screen).
//
// Threads: UI thread. Built once the window's controls exist; its widgets
// belong to the window and go with it.
#include "panel/VehiclePanelTexts.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <array>

class QLabel;

class VehiclePanelRows : public QObject {
public:
    // gpsPanel: the GPS panel the rows sit beside; null builds nothing.
    explicit VehiclePanelRows(QWidget* gpsPanel);

    // Shows the texts' lines, hiding the rows without one.
    void Show(const VehiclePanelTexts& texts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followGpsPanel();

    QPointer<QWidget> gpsPanel_;
    QPointer<QWidget> panel_;
    std::array<QPointer<QLabel>, VehiclePanelTexts::RowCount> rows_;
    bool anyShown_ = false;
};
