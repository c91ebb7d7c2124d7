#include "app/EvidenceExporter.h"

#include "config/AppConfig.h"
#include "config/ConfigStore.h"
#include "dialogs/DialogText.h"
#include "dialogs/ExportDialog.h"
#include "evidence/ReportInput.h"
#include "cameras/ClipPartners.h"
#include "track/SubtitleExtractor.h"
#include "trip/EventSettings.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QProgressDialog>
#include <QWidget>
#include <algorithm>
#include <ctime>

namespace {

// The word that ends an export folder's name, in the chosen language. A
// language file is not trusted with a path: anything but letters, digits,
// blanks, '-' and '_', or a long text, keeps the English word.
std::string folderWord(const QString& word) {
    const QString trimmed = word.trimmed();
    const bool plain = !trimmed.isEmpty() && trimmed.size() <= 40 && std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == u' ' || c == u'-' || c == u'_';
    });
    return plain ? trimmed.toStdString() : std::string("Export");
}

}  // namespace

EvidenceExporter::EvidenceExporter(const ConfigStore& store, const AppConfig& config, QWidget* window)
    : store_(store), config_(config), window_(window) {
    tick_.setInterval(200);
    connect(&tick_, &QTimer::timeout, this, &EvidenceExporter::showProgress);
}

EvidenceExporter::~EvidenceExporter() {
    if (job_) job_->stop();
    if (worker_.joinable()) worker_.join();
}

QString EvidenceExporter::text(std::string_view key) const {
    return DialogText::read(store_, key, DialogText::kMainSection);
}

bool EvidenceExporter::OffersOpenFolder() const {
    return doneBox_ && doneBox_->isVisible();
}

const char* EvidenceExporter::StateName(State state) {
    switch (state) {
        case State::Running:
            return "running";
        case State::Done:
            return "done";
        case State::Failed:
            return "failed";
        case State::Cancelled:
            return "cancelled";
        case State::Idle:
            break;
    }
    return "idle";
}

void EvidenceExporter::Ask(const ExportRows& rows, const std::string& clip, double seconds, const ExportInset& inset) {
    const std::vector<size_t> camera = partners::sameChannel(rows.paths, clip);
    const auto at = std::find_if(camera.begin(), camera.end(), [&](size_t i) { return rows.paths[i] == clip; });
    if (state_ == State::Running || at == camera.end()) return;
    const size_t startClip = static_cast<size_t>(at - camera.begin());
    // The dialog's start is on the clip's own time line; below 0 it lies in
    // the clips before, where there are any.
    ExportDialog dialog(store_, inset.offered, window_, inset.layout.has_value());
    const bool earlier = startClip > 0;
    dialog.ShowZone(ZoneText());
    dialog.SetStretch(earlier ? seconds - kAroundSeconds : std::max(0.0, seconds - kAroundSeconds), 2 * kAroundSeconds,
                      earlier);
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.Remember();
    SetSeal({dialog.SignKey(), dialog.SignCert(), dialog.KeyPassword(), dialog.TimestampRequest()});
    store_.WriteConfigInt(dialog.Originals() ? 1 : 0, ExportDialog::kOriginalsKey);
    if (inset.layout) store_.WriteConfigInt(dialog.AsShown() ? 1 : 0, ExportDialog::kAsShownKey);
    ExportInset picture = inset;
    picture.offered = dialog.Inset();
    if (!dialog.AsShown()) picture.layout.reset();
    // The proposal keeps to the clip's drive; a stretch the user set is taken as set.
    Start(rows, clip, dialog.StartSeconds(), dialog.LengthSeconds(), dialog.Overlay(), picture, !dialog.Changed(),
          dialog.Originals(), {dialog.CaseReference(), dialog.Vehicle(), dialog.Note()});
}

QString EvidenceExporter::ZoneText() const {
    const DisplayZone& zone = config_.displayZone;
    if (zone.kind() != DisplayZone::Kind::System) return QString::fromStdString(DisplayZone::offsetText(zone.offsetAt(0)));
    // The computer's zone: its offset now, which summer time may change for the stretch's own date.
    const QString now = QString::fromStdString(DisplayZone::offsetText(zone.offsetAt(std::time(nullptr))));
    const QString system = text("IDS_TZ_SYSTEM");
    return system.isEmpty() ? now : now + " (" + system + ")";
}

bool EvidenceExporter::Start(const ExportRows& rows, const std::string& clip, double startSeconds,
                             double lengthSeconds, bool overlay, const ExportInset& inset, bool withinDrive,
                             bool originals, const ExportReference& reference) {
    if (state_ == State::Running) return false;
    EvidenceRequest request;
    for (const size_t i : partners::sameChannel(rows.paths, clip)) {
        if (rows.paths[i] == clip) request.startClip = request.clips.size();
        request.clips.push_back(rows.paths[i]);
        request.partners.push_back(i < rows.partners.size() ? rows.partners[i] : std::string());
    }
    if (std::find(request.clips.begin(), request.clips.end(), clip) == request.clips.end()) return false;
    if (worker_.joinable()) worker_.join();
    request.inset = inset.offered && !inset.layout;
    request.mirrorInset = inset.mirror;
    request.layout = inset.layout;
    request.largeCamera = inset.large;
    request.mirrorRear = inset.mirror;
    request.startSeconds = startSeconds;
    request.lengthSeconds = lengthSeconds;
    request.withinDrive = withinDrive;
    request.overlay = overlay;
    request.originals = originals;
    request.frameHashes = originals;
    // The journey's other cameras are among the rows, a car's among its moments' cameras.
    request.journey = rows.paths;
    request.journey.insert(request.journey.end(), rows.carCameras.begin(), rows.carCameras.end());
    request.exportsFolder = store_.userDataFolder() + "Exports";
    request.kind = folderWord(text("IDS_EXPORT_FOLDER"));
    request.ffmpeg = SubtitleExtractor::standardConverterPath();
    request.reportProgram = store_.programFolder() + "Report/veltara-report";
    request.units = config_.units;
    // The band, the report and the folder's name write times as the panel shows them.
    request.zone = config_.displayZone;
    request.caseReference = reference.caseReference;
    request.vehicle = reference.vehicle;
    request.note = reference.note;
    request.events = EventSettings::read(store_);
    request.signKey = seal_.key;
    request.signCert = seal_.cert;
    request.signPassword = seal_.password;
    request.timestampRequest = seal_.timestampRequest;
    for (const std::string_view key : ReportInput::kTextKeys)
        request.reportTexts.emplace_back(key, store_.ReadLanguageString(key, DialogText::kMainSection));
    job_ = std::make_unique<EvidenceExport>();
    progress_.store(0.0);
    folder_.clear();
    error_.clear();
    doneBox_ = nullptr;  // an earlier export's message may stay open, but offers nothing of this one
    state_ = State::Running;
    EvidenceExport* job = job_.get();
    worker_ = std::thread([this, job, request = std::move(request)] {
        std::string folder, reason;
        const bool done = job->run(request, folder, reason, [this](double f) { progress_.store(f); });
        QMetaObject::invokeMethod(this, [this, done, folder, reason] { finished(done, folder, reason); },
                                  Qt::QueuedConnection);
    });
    if (window_) {
        dialog_ = new QProgressDialog(text("IDS_EXPORT_RUNNING"), text("IDS_CANCEL"), 0, 100, window_);
        dialog_->setWindowModality(Qt::NonModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        connect(dialog_, &QProgressDialog::canceled, this, &EvidenceExporter::Cancel);
        dialog_->show();
    }
    tick_.start();
    emit changed();
    return true;
}

void EvidenceExporter::Cancel() {
    if (state_ == State::Running && job_) job_->stop();
}

void EvidenceExporter::showProgress() {
    if (dialog_) dialog_->setValue(static_cast<int>(progress_.load() * 100.0));
}

void EvidenceExporter::finished(bool done, const std::string& folder, const std::string& reason) {
    if (worker_.joinable()) worker_.join();
    tick_.stop();
    const bool cancelled = !done && job_ && job_->stopped();
    state_ = done ? State::Done : cancelled ? State::Cancelled : State::Failed;
    folder_ = QString::fromStdString(folder);
    error_ = QString::fromStdString(reason);
    if (done) progress_.store(1.0);
    if (dialog_) dialog_->deleteLater();
    if (window_ && !cancelled) {
        // Plain text: a clip's name is part of some reasons.
        auto* box = new QMessageBox(done ? QMessageBox::Information : QMessageBox::Warning, text("IDS_EXPORT_TITLE"),
                                    done ? text("IDS_EXPORT_DONE").arg(folder_) : text("IDS_EXPORT_FAILED").arg(error_),
                                    QMessageBox::Ok, window_);
        box->setTextFormat(Qt::PlainText);
        if (const QString ok = text("IDS_OK"); !ok.isEmpty()) box->button(QMessageBox::Ok)->setText(ok);
        if (done) {
            // The folder is what the user came for: one click opens it.
            QPushButton* open = box->addButton(text("IDS_EXPORT_OPEN_FOLDER"), QMessageBox::ActionRole);
            const QUrl url = QUrl::fromLocalFile(folder_);
            connect(open, &QPushButton::clicked, this, [url] { QDesktopServices::openUrl(url); });
            doneBox_ = box;
        }
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    }
    emit changed();
}
