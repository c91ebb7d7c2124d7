#include "app/ClipRepairer.h"

#include "config/ConfigStore.h"
#include "dialogs/DialogText.h"
#include "platform/FileSystem.h"
#include "playlist/CPlaylistController.h"
#include "repair/ClipRepair.h"
#include "repair/RepairReference.h"

#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>

ClipRepairer::ClipRepairer(const ConfigStore& store, CPlaylistController& playlist, QWidget* window)
    : store_(store), playlist_(playlist), window_(window) {
    tick_.setInterval(200);
    connect(&tick_, &QTimer::timeout, this, [this] {
        if (dialog_) dialog_->setValue(static_cast<int>(progress_.load() * 100.0));
    });
}

ClipRepairer::~ClipRepairer() {
    stop_.store(true);
    join();
}

void ClipRepairer::join() {
    if (worker_.joinable()) worker_.join();
}

QString ClipRepairer::text(std::string_view key) const {
    return DialogText::read(store_, key, DialogText::kMainSection);
}

const char* ClipRepairer::StateName(State state) {
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

void ClipRepairer::Offer(const std::string& clip) {
    if (state_ == State::Running || offering_) return;
    join();
    offering_ = true;
    worker_ = std::thread([this, clip] {
        std::string reason;
        const std::string reference = repairReference::choose(clip, reason);
        QMetaObject::invokeMethod(this, [this, clip, reference] {
            offering_ = false;
            join();
            if (!reference.empty()) ask(clip, reference);
        }, Qt::QueuedConnection);
    });
}

void ClipRepairer::ask(const std::string& clip, const std::string& reference) {
    if (!window_ || state_ == State::Running) return;
    // Plain text: the names come from the folder.
    auto* box = new QMessageBox(QMessageBox::Question, text("IDS_REPAIR_TITLE"),
                                text("IDS_REPAIR_OFFER")
                                    .arg(QString::fromStdString(platform::fileName(clip)),
                                         QString::fromStdString(platform::fileName(reference))),
                                QMessageBox::Yes | QMessageBox::No, window_);
    box->setObjectName(QStringLiteral("repairOffer"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    // Offered, not forced: the keys stay with the window the user works in.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    connect(box, &QMessageBox::finished, this, [this, box, clip, reference](int) {
        if (box->clickedButton() == box->button(QMessageBox::Yes)) Start(clip, reference);
    });
    box->show();
}

bool ClipRepairer::Start(const std::string& clip, const std::string& reference) {
    if (state_ == State::Running || offering_) return false;
    join();
    stop_.store(false);
    progress_.store(0.0);
    copy_.clear();
    error_.clear();
    state_ = State::Running;
    RepairRequest request;
    request.clip = clip;
    request.reference = reference;
    request.stop = &stop_;
    request.progress = &progress_;
    request.userDataFolder = store_.userDataFolder();
    worker_ = std::thread([this, request] {
        const RepairOutcome outcome = ClipRepair::run(request);
        QMetaObject::invokeMethod(
            this, [this, outcome, clip = request.clip] { finished(outcome.repaired, clip, outcome.copy, outcome.reason); },
            Qt::QueuedConnection);
    });
    if (window_) {
        dialog_ = new QProgressDialog(text("IDS_REPAIR_RUNNING"), text("IDS_CANCEL"), 0, 100, window_);
        dialog_->setObjectName(QStringLiteral("repairProgress"));
        dialog_->setWindowModality(Qt::NonModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        connect(dialog_, &QProgressDialog::canceled, this, &ClipRepairer::Cancel);
        dialog_->show();
    }
    tick_.start();
    return true;
}

void ClipRepairer::Cancel() {
    if (state_ == State::Running) stop_.store(true);
}

void ClipRepairer::finished(bool done, const std::string& clip, const std::string& copy, const std::string& reason) {
    join();
    tick_.stop();
    const bool cancelled = !done && stop_.load();
    state_ = done ? State::Done : cancelled ? State::Cancelled : State::Failed;
    copy_ = QString::fromStdString(copy);
    error_ = QString::fromStdString(reason);
    if (done) progress_.store(1.0);
    if (dialog_) dialog_->deleteLater();
    if (done) {
        // The copy's folder joins the list (beside the original when it is the same one).
        playlist_.AddFolderOfFile(platform::parentFolder(copy), platform::fileName(copy));
        playlist_.MarkRepaired(playlist_.GetPlayList().FindByPath(copy), clip);
    }
    if (window_ && !cancelled) {
        auto* box = new QMessageBox(done ? QMessageBox::Information : QMessageBox::Warning, text("IDS_REPAIR_TITLE"),
                                    done ? text("IDS_REPAIR_DONE").arg(copy_) : text("IDS_REPAIR_FAILED").arg(error_),
                                    QMessageBox::Ok, window_);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    }
}
