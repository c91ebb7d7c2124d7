#pragma once
// "Verify an evidence folder…": asks for the folder, re-checks it
// (EvidenceVerifier, which also appends its line to the folder's custody
// log) and shows one line per check as plain text, the outcome first.
//
// Threads: the window on the UI thread; the verification on a worker of its
// own, whose lines come back by a queued call. Lifecycle: Open() shows a
// window that deletes itself when closed; closing it stops the worker and
// joins it (the UI waits only for the file being hashed to end).
#include "evidence/EvidenceVerifier.h"

#include <QDialog>
#include <QString>
#include <atomic>
#include <thread>

class ConfigStore;
class QLabel;
class QPlainTextEdit;

class VerifyWindow : public QDialog {
public:
    // folder empty: the user picks one (nothing opens when none is picked).
    static VerifyWindow* Open(const ConfigStore& store, QWidget* parent, const QString& folder = {});
    ~VerifyWindow() override;

    bool Finished() const { return finished_; }
    bool AllHold() const { return allHold_; }
    QString Lines() const;

private:
    VerifyWindow(const ConfigStore& store, QWidget* parent);
    void start(const QString& folder);
    void showChecks(const VerifyChecks& checks);

    const ConfigStore& store_;
    QLabel* outcome_ = nullptr;
    QPlainTextEdit* lines_ = nullptr;
    EvidenceVerifier verifier_;
    std::thread worker_;
    bool finished_ = false;
    bool allHold_ = false;
};
