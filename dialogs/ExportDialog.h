#pragma once
// Asks for the stretch of an export: where it starts in the clip, how long
// it is (up to ten minutes), whether the other camera joins as the inset,
// whether the data is burned into the video, the case, vehicle and note the
// report gives (plain text, for this export only: never remembered), and,
// as a plain label, the zone the export writes its times in.
// Threads: UI thread only; shown modal by EvidenceExporter.
#include <QDialog>
#include <string>

class ConfigStore;

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

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
    // "+01:00", "UTC" or the computer's zone, as the export will write times.
    void ShowZone(const QString& zone);
    QString ZoneLine() const;
    std::string CaseReference() const;
    std::string Vehicle() const;
    std::string Note() const;
    // The start or the length differs from what SetStretch proposed.
    bool Changed() const;

private:
    QDoubleSpinBox* start_ = nullptr;
    QDoubleSpinBox* length_ = nullptr;
    QCheckBox* overlay_ = nullptr;
    QCheckBox* inset_ = nullptr;
    QLineEdit* case_ = nullptr;
    QLineEdit* vehicle_ = nullptr;
    QLineEdit* note_ = nullptr;
    QLabel* zone_ = nullptr;
    QString zoneFormat_;
    double proposedStart_ = 0.0, proposedLength_ = 0.0;
};
