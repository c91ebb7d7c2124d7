#pragma once
// Asks for the stretch of an export: where it starts in the clip, how long
// it is (up to ten minutes) and whether the data is burned into the video.
// Threads: UI thread only; shown modal by EvidenceExporter.
#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;

class ExportDialog : public QDialog {
public:
    explicit ExportDialog(QWidget* parent = nullptr);

    void SetStretch(double startSeconds, double lengthSeconds);
    double StartSeconds() const;
    double LengthSeconds() const;
    bool Overlay() const;

private:
    QDoubleSpinBox* start_ = nullptr;
    QDoubleSpinBox* length_ = nullptr;
    QCheckBox* overlay_ = nullptr;
};
