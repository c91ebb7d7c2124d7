#pragma once
// Makes an export folder: video.mp4 (the stretch joined across clips, the
// data burned in or the original frames), track.gpx and track.csv (as
// veltara-track writes them), frames.md5 (every original frame of the
// stretch, see FrameHashes), report.pdf and SHA256SUMS (every file of the
// folder by name and every source clip by absolute path); then, as asked,
// SHA256SUMS.p7s (EvidenceSigner) and SHA256SUMS.tsq (TimestampRequest). A failure or a
// stop leaves nothing behind: what the export made is removed, through the
// folder's descriptor (see EvidenceFolder), and the folder with it.
//
// Threads: run() on one worker (it blocks for the whole export); stop() from
// any thread, after which run() ends soon with "cancelled". Progress is
// called on run()'s thread with 0..1.
#include "evidence/EvidenceOutputs.h"
#include "evidence/EvidenceRequest.h"

#include <atomic>
#include <functional>
#include <string>

class EvidenceExport {
public:
    using Progress = std::function<void(double)>;

    // folder: the folder made; reason: why not.
    bool run(const EvidenceRequest& request, std::string& folder, std::string& reason, const Progress& progress = {});
    void stop() { stop_.store(true); }
    // After a run() that succeeded, on its thread or after joining it.
    const EvidenceOutputs& outputs() const { return outputs_; }
    bool stopped() const { return stop_.load(); }
    // Called on run()'s thread with the folder's path right after it is made
    // (a seam for tests of what happens to the folder meanwhile).
    void setFolderMadeHook(std::function<void(const std::string&)> hook) { folderMadeHook_ = std::move(hook); }

private:
    std::atomic<bool> stop_{false};
    EvidenceOutputs outputs_;
    std::function<void(const std::string&)> folderMadeHook_;
};
