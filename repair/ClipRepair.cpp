#include "repair/ClipRepair.h"

#include "platform/FileSystem.h"
#include "platform/DocumentsFolder.h"
#include "platform/Sha256.h"
#include "repair/BoxBytes.h"
#include "repair/CutClip.h"
#include "repair/MdatWalk.h"
#include "repair/PictureFitCheck.h"
#include "repair/RepairProfile.h"
#include "repair/RepairProvenance.h"
#include "repair/RepairReference.h"
#include "repair/RepairedFile.h"
#include "repair/RepairedMovie.h"

#include <cmath>
#include <thread>
#include <unistd.h>

namespace {

RepairOutcome refused(std::string reason) {
    RepairOutcome outcome;
    outcome.reason = std::move(reason);
    return outcome;
}

bool makeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        platform::makeDirectory(folder.substr(0, slash), 0700);
    return platform::makeDirectory(folder, 0700);
}

// The digests of the original and the reference for the copy's provenance,
// each taken on a thread of its own while the walk reads the same bytes and
// the copy is written, so the repair's wall time grows little. Left early,
// the threads are stopped and joined.
class ProvenanceDigests {
public:
    ProvenanceDigests(const std::string& clip, const std::string& reference)
        : clipThread_([this, clip] { clip_.ok = Sha256::ofFile(clip, clip_.hex, clip_.why, &stop_); }),
          referenceThread_(
              [this, reference] { reference_.ok = Sha256::ofFile(reference, reference_.hex, reference_.why, &stop_); }) {}
    ~ProvenanceDigests() {
        stop_ = true;
        for (std::thread* t : {&clipThread_, &referenceThread_})
            if (t->joinable()) t->join();
    }
    bool wait(RepairProvenance& provenance, std::string& reason) {
        clipThread_.join();
        referenceThread_.join();
        provenance.originalSha256 = clip_.hex;
        provenance.referenceSha256 = reference_.hex;
        if (!clip_.ok || !reference_.ok)
            reason = "cannot read it whole for its checksum: " + (clip_.ok ? reference_.why : clip_.why);
        return clip_.ok && reference_.ok;
    }

private:
    struct Digest {
        bool ok = false;
        std::string hex, why;
    };
    std::atomic<bool> stop_{false};
    Digest clip_, reference_;
    std::thread clipThread_, referenceThread_;  // last: they start once the fields above exist
};

}  // namespace

std::string ClipRepair::copyPathFor(const std::string& clip, const std::string& userData) {
    const std::string name = platform::fileName(clip);
    const size_t dot = name.rfind('.');
    const std::string copy = dot == std::string::npos || dot == 0
                                 ? name + ".repaired"
                                 : name.substr(0, dot) + ".repaired" + name.substr(dot);
    const std::string folder = platform::parentFolder(clip);
    if (::access(folder.c_str(), W_OK | X_OK) == 0) return folder + copy;
    std::string data = userData;
    if (data.empty()) {
        const std::string documents = platform::documentsFolder();
        if (documents.empty()) return {};
        data = documents + "/Veltara DVR Player/";
    }
    data = platform::withTrailingSlash(data) + "Repaired";
    if (!makeFolders(data)) return {};
    return data + "/" + copy;
}

RepairOutcome ClipRepair::run(const RepairRequest& request) {
    IsoFile clip;
    std::string reason;
    if (!clip.open(request.clip, reason)) return refused(reason);
    const CutClip cut = CutClip::of(clip);
    if (cut.state == CutClip::State::HasIndex) return refused("it has its index: it is not cut");
    if (cut.state == CutClip::State::NoMediaData) return refused("nothing to repair: it holds no media data");

    std::string referencePath = request.reference;
    if (referencePath.empty()) {
        referencePath = repairReference::choose(request.clip, reason);
        if (referencePath.empty()) return refused(reason);
    }
    IsoFile reference;
    if (!reference.open(referencePath, reason)) return refused("the reference: " + reason);
    if (CutClip::of(reference).state != CutClip::State::HasIndex)
        return refused("the reference is itself cut short (no index)");
    ProvenanceDigests digests(request.clip, referencePath);
    RepairProfile profile;
    if (!profile.learn(reference, reason)) return refused(reason);

    const std::string copy = copyPathFor(request.clip, request.userDataFolder);
    if (copy.empty()) return refused("there is no folder to write the repaired copy to");
    // The clip's own file type box; the reference's where it has none it can
    // give whole (a file cut short meanwhile leaves no part-read box).
    std::string head;
    const IsoBox* ftyp = clip.findTop(fourcc("ftyp"));
    if (ftyp == nullptr || ftyp->size > 4096 || !clip.read(ftyp->offset, static_cast<size_t>(ftyp->size), head))
        head = profile.ftyp;
    boxBytes::u32(head, 1);  // the size follows in 64 bits, once the walk has found it
    head += "mdat";
    const size_t sizeAt = head.size();
    boxBytes::u64(head, 0);
    // The media data is copied behind the walk, as far as it has taken.
    RepairedFile file(request.stop);
    if (!file.start(copy, head, request.clip, cut.mediaStart, reason)) return refused(reason);

    clip.setStopFlag(request.stop);
    MdatWalk walk(clip, profile, cut.mediaStart, cut.mediaEnd);
    walk.setStopFlag(request.stop);
    walk.setProgress(request.progress);
    walk.setReached(&file.reached());
    const WalkResult found = walk.run();
    if (found.stopped) return refused("cancelled");
    if (found.tracks[0].empty())
        return refused("nothing to repair: its media data does not start with pictures or sound of the reference's "
                       "kind (" + profile.describe() + "); the clip is empty, or of another camera or codec");
    const WalkedSample& first = found.tracks[0].front();
    std::string firstPicture;
    if (!first.key || !clip.read(first.offset, first.size, firstPicture) ||
        !pictureFit::fits(profile.video().parameterSets, profile.video().hevc, firstPicture))
        return refused("the reference does not fit: another camera, codec setting or picture size (" +
                       profile.describe() + ")");

    const uint64_t length = found.end - cut.mediaStart;
    boxBytes::put64(head, sizeAt, length + 16);
    const RepairedMovie movie(profile, found, cut.mediaStart, head.size());
    const double modified = platform::modificationSeconds(request.clip);
    const int64_t start = std::isnan(modified) ? 0 : static_cast<int64_t>(std::llround(modified - movie.seconds()));
    RepairProvenance provenance;
    provenance.original = platform::fileName(request.clip);
    provenance.reference = platform::fileName(referencePath);
    const auto index = [&](std::string& moov, std::string& why) {
        if (!digests.wait(provenance, why)) {
            if (request.stop != nullptr && request.stop->load()) why = "cancelled";
            return false;
        }
        // The provenance goes last in the index, whose size then covers it.
        moov = movie.moov(start);
        moov += provenance.udta();
        boxBytes::put32(moov, 0, static_cast<uint32_t>(moov.size()));
        return true;
    };
    if (!file.finish(length, head, index, reason)) return refused(reason);

    RepairOutcome outcome;
    outcome.repaired = true;
    outcome.copy = copy;
    outcome.reference = referencePath;
    outcome.pictures = found.tracks[0].size();
    for (size_t i = 1; i < found.tracks.size(); ++i)
        (profile.tracks[i].kind == RepairTrack::Kind::Text ? outcome.textSamples : outcome.soundSamples) +=
            found.tracks[i].size();
    outcome.dataBlocks = found.dataBlocks.size();
    outcome.soundlessStretches = found.soundlessStretches;
    outcome.seconds = movie.seconds();
    return outcome;
}
