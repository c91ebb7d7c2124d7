#pragma once
// Repairs in the player: a clip that ended before it started because it was
// cut short (no index) offers a repair in a notice that names the reference
// it would learn from; the repair (ClipRepair) runs on a worker of its own,
// one at a time, with its progress and a Cancel button; the repaired copy
// joins the playlist beside the original, marked as repaired from it. The
// window stays usable and playback goes on meanwhile.
//
// Threads: everything here on the UI thread; the worker chooses the
// reference or repairs, reports progress through an atomic and its end by a
// queued call. Lifecycle: made by the main window; the destructor stops a
// running repair (nothing is left behind) and joins the worker.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <string>
#include <string_view>
#include <thread>

class ConfigStore;
class CPlaylistController;
class QProgressDialog;
class QWidget;

class ClipRepairer : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Running, Done, Failed, Cancelled };

    ClipRepairer(const ConfigStore& store, CPlaylistController& playlist, QWidget* window);
    ~ClipRepairer() override;

    // Looks for a reference on the worker, then asks the user; a clip
    // without one in its folder is left as it is (its row says cut short).
    void Offer(const std::string& clip);
    // Without asking (the test driver, or the user's yes). reference "": the
    // nearest healthy clip of the camera. False while one runs.
    bool Start(const std::string& clip, const std::string& reference);
    void Cancel();

    State GetState() const { return state_; }
    double Progress() const { return progress_.load(); }
    const QString& Copy() const { return copy_; }
    const QString& Error() const { return error_; }
    static const char* StateName(State state);

private:
    void ask(const std::string& clip, const std::string& reference);
    void finished(bool done, const std::string& clip, const std::string& copy, const std::string& reason);
    void join();
    QString text(std::string_view key) const;

    const ConfigStore& store_;
    CPlaylistController& playlist_;
    QPointer<QWidget> window_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<double> progress_{0.0};
    State state_ = State::Idle;
    bool offering_ = false;  // a reference is being looked for
    QString copy_, error_;
    QPointer<QProgressDialog> dialog_;
    QTimer tick_;
};
