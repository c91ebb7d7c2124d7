#pragma once
// Exports in the player: asks for the stretch (ExportDialog), runs one
// export at a time on a worker of its own (EvidenceExport), shows its
// progress with a Cancel button and says where the folder went or why it
// failed. The window stays usable and playback goes on meanwhile.
//
// Threads: everything here on the UI thread; the worker reports progress
// through an atomic and its end by a queued call. Lifecycle: made by the
// main window; the destructor stops a running export (its partial folder
// is removed) and joins the worker.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"
#include "evidence/EvidenceExport.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

class ConfigStore;
struct AppConfig;
class QMessageBox;
class QProgressDialog;
class QWidget;

// The playlist's rows as an export sees them: each row's path and the other
// camera of its moment ("" none); and every camera of the car's moments the
// rows stand for, where the other cameras are found.
struct ExportRows {
    std::vector<std::string> paths, partners;
    std::vector<std::string> carCameras;
};

// How the other cameras may join the export, as the window shows them: the
// partner as the inset, or a car's moment in its layout (with its large
// camera). mirror: the rear camera mirrored.
struct ExportInset {
    bool offered = false;
    bool mirror = false;
    std::optional<cameras::CameraLayout> layout;
    cameras::CameraChannel large = cameras::CameraChannel::None;
};

// How the export's SHA256SUMS is sealed: signed with key and certificate
// ("" not signed), and a time-stamp request written.
struct ExportSeal {
    std::string key, cert, password;
    bool timestampRequest = false;
};

// What the user writes into the report for this export.
struct ExportReference {
    std::string caseReference, vehicle, note;
};

class EvidenceExporter : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Running, Done, Failed, Cancelled };

    static constexpr double kAroundSeconds = 15.0;  // before and after the moment asked for

    EvidenceExporter(const ConfigStore& store, const AppConfig& config, QWidget* window);
    ~EvidenceExporter() override;

    // Opens the dialog for the stretch around a moment of clip (one of the
    // rows), then exports. The stretch goes on through the clips of clip's
    // camera, in the rows' order.
    void Ask(const ExportRows& rows, const std::string& clip, double seconds, const ExportInset& inset);
    // Without a dialog (the test driver). False while one runs or when clip
    // is not one of the rows. withinDrive: trim the stretch to the clip's
    // drive (what the dialog's unchanged proposal does). originals: copy the
    // journey's original clips, of every camera among the rows.
    bool Start(const ExportRows& rows, const std::string& clip, double startSeconds, double lengthSeconds,
               bool overlay, const ExportInset& inset = {}, bool withinDrive = false, bool originals = false,
               const ExportReference& reference = {});
    // The zone the export writes its times in, as the dialog names it.
    QString ZoneText() const;
    void Cancel();
    // The seal of the exports started from now on (the dialog sets it).
    void SetSeal(ExportSeal seal) { seal_ = std::move(seal); }

    State GetState() const { return state_; }
    double Progress() const { return progress_.load(); }
    const QString& Folder() const { return folder_; }
    const QString& Error() const { return error_; }
    static const char* StateName(State state);
    // The finished export's message is shown with its "open the folder" button.
    bool OffersOpenFolder() const;

signals:
    void changed();

private:
    void finished(bool done, const std::string& folder, const std::string& reason);
    void showProgress();
    QString text(std::string_view key) const;  // from the language file

    const ConfigStore& store_;
    const AppConfig& config_;
    QPointer<QWidget> window_;
    std::unique_ptr<EvidenceExport> job_;
    std::thread worker_;
    std::atomic<double> progress_{0.0};
    State state_ = State::Idle;
    QString folder_, error_;
    QPointer<QProgressDialog> dialog_;
    QPointer<QMessageBox> doneBox_;
    QTimer tick_;
    ExportSeal seal_;
};
