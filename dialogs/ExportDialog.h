#pragma once
// Asks for the stretch of an export: where it starts in the clip, how long
// it is (up to ten minutes), whether the other camera joins as the inset and
// whether the data is burned into the video, and whether the journey's
// original clips are copied along (remembered in the settings as
// kOriginalsKey, written by the caller once the dialog is accepted).
// Threads: UI thread only; shown modal by EvidenceExporter.
#include <QDialog>

class ConfigStore;

class QCheckBox;
class QDoubleSpinBox;

class ExportDialog : public QDialog {
public:
    // Texts from the language file of store. insetOffered: the other camera
    // of the moment may join as the inset (checked at first).
    ExportDialog(const ConfigStore& store, bool insetOffered, QWidget* parent = nullptr);

    // earlier: the start may go below 0, into the clips before.
    void SetStretch(double startSeconds, double lengthSeconds, bool earlier = false);
    double StartSeconds() const;
    double LengthSeconds() const;
    bool Overlay() const;
    bool Inset() const;
    bool Originals() const;

    static constexpr const char* kOriginalsKey = "ExportOriginals";
    // The start or the length differs from what SetStretch proposed.
    bool Changed() const;

private:
    QDoubleSpinBox* start_ = nullptr;
    QDoubleSpinBox* length_ = nullptr;
    QCheckBox* overlay_ = nullptr;
    QCheckBox* inset_ = nullptr;
    QCheckBox* originals_ = nullptr;
    double proposedStart_ = 0.0, proposedLength_ = 0.0;
};
