#pragma once
// Asks for the stretch of an export: where it starts in the clip, how long
// it is (up to ten minutes), whether the other camera joins as the inset,
// or, for a car's moment of more cameras, whether the export takes the
// picture as shown (remembered as kAsShownKey, on unless the user cleared it),
// whether the data is burned into the video; whether the journey's original
// clips are copied along (remembered in the settings as kOriginalsKey,
// written by the caller once the dialog is accepted); how the folder is
// sealed: the key and certificate that sign SHA256SUMS (remembered in the
// settings) with the key's password (never remembered), and a time-stamp
// request; the case, vehicle and note the report gives (plain text, for
// this export only: never remembered); and, as a plain label, the zone the
// export writes its times in.
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
    // of the moment may join as the inset (checked at first). shownOffered:
    // the window shows a car's moment of more cameras, which the export may
    // take as shown (in place of the inset).
    ExportDialog(const ConfigStore& store, bool insetOffered, QWidget* parent = nullptr, bool shownOffered = false);

    // earlier: the start may go below 0, into the clips before.
    void SetStretch(double startSeconds, double lengthSeconds, bool earlier = false);
    double StartSeconds() const;
    double LengthSeconds() const;
    bool Overlay() const;
    bool Inset() const;
    bool Originals() const;
    bool AsShown() const;

    static constexpr const char* kOriginalsKey = "ExportOriginals";
    static constexpr const char* kAsShownKey = "ExportAsShown";
    // "+01:00", "UTC" or the computer's zone, as the export will write times.
    void ShowZone(const QString& zone);
    QString ZoneLine() const;
    std::string CaseReference() const;
    std::string Vehicle() const;
    std::string Note() const;
    // The start or the length differs from what SetStretch proposed.
    bool Changed() const;
    // "" not signed.
    std::string SignKey() const;
    std::string SignCert() const;
    std::string KeyPassword() const;
    bool TimestampRequest() const;
    // Keeps the key's and the certificate's paths and the time-stamp choice
    // in the settings for the next export; the password is never kept.
    void Remember() const;

private:
    const ConfigStore& store_;
    QLineEdit* signKey_ = nullptr;
    QLineEdit* signCert_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* timestamp_ = nullptr;
    QDoubleSpinBox* start_ = nullptr;
    QDoubleSpinBox* length_ = nullptr;
    QCheckBox* overlay_ = nullptr;
    QCheckBox* inset_ = nullptr;
    QCheckBox* shown_ = nullptr;
    QCheckBox* originals_ = nullptr;
    QLineEdit* case_ = nullptr;
    QLineEdit* vehicle_ = nullptr;
    QLineEdit* note_ = nullptr;
    QLabel* zone_ = nullptr;
    QString zoneFormat_;
    double proposedStart_ = 0.0, proposedLength_ = 0.0;
};
