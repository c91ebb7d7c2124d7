// Opening a clip of a folder of 10,000 clips: AddFolderOfFile with its tree
// shown (listing, adding, sorting, rebuilding the rows, selecting and
// scrolling to the opened clip), and the same followed by a paint of the
// tree, against the baseline of listing that folder alone, in the same run.
// Target: AddFolderOfFile at most 5 times the listing.
#include "bench/RatioReporter.h"
#include "platform/FileSystem.h"
#include "playlist/CPlayListTreeViewUI.h"
#include "playlist/PlaylistView.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kClips = 10000;

// The camera's naming: date, time and a counter, front and rear clips.
std::string clipName(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "2016_0520_%02d%02d%02d_%04d%c.MP4", (i / 3600) % 24, (i / 60) % 60, i % 60, i,
                  i % 2 ? 'F' : 'R');
    return name;
}

struct ClipFolder {
    std::string path;
    ClipFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "veltara-bench-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        path = tmpl + "/";
        for (int i = 0; i < kClips; ++i) {
            const int fd = ::open((path + clipName(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd < 0) std::abort();
            ::close(fd);
        }
    }
    ~ClipFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

ClipFolder& folder() {
    static ClipFolder f;
    return f;
}

struct ShownPlaylist {
    CPlayListTreeViewUI* tree = new CPlayListTreeViewUI;
    PlaylistView view;
    ShownPlaylist() {
        view.Bind(tree);
        AcceptedExtensions extensions;
        extensions.Parse("MP4");  // the default configuration's list
        view.Controller().SetAcceptedExtensions(extensions);
        tree->resize(380, 280);
        tree->show();
        QApplication::processEvents();
    }
    ~ShownPlaylist() { delete tree; }
};

void BM_ListFolder(benchmark::State& state) {
    const std::string& path = folder().path;
    for (auto _ : state) {
        std::vector<platform::DirectoryEntry> entries;
        benchmark::DoNotOptimize(platform::listDirectory(path, entries));
        if (entries.size() != kClips) state.SkipWithError("listing incomplete");
    }
}
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond);

void addFolder(benchmark::State& state, bool paint) {
    const std::string& path = folder().path;
    ShownPlaylist p;
    const std::string opened = clipName(kClips / 2);
    for (auto _ : state) {
        state.PauseTiming();
        p.view.Controller().ClearPlaylist();
        QApplication::processEvents();
        state.ResumeTiming();
        p.view.Controller().AddFolderOfFile(path, opened);
        if (paint) p.tree->viewport()->repaint();
    }
    if (p.view.Controller().GetPlayList().GetCount() != kClips || p.view.Controller().GetPlayList().GetCurrent() != kClips / 2)
        state.SkipWithError("folder not added");
}

void BM_AddFolderOfFile(benchmark::State& state) {
    addFolder(state, false);
}
BENCHMARK(BM_AddFolderOfFile)->Unit(benchmark::kMillisecond);

void BM_AddFolderOfFileAndPaint(benchmark::State& state) {
    addFolder(state, true);
}
BENCHMARK(BM_AddFolderOfFileAndPaint)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    folder();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto list = reporter.times.find("BM_ListFolder");
    for (const char* name : {"BM_AddFolderOfFile", "BM_AddFolderOfFileAndPaint"}) {
        const auto add = reporter.times.find(name);
        if (list == reporter.times.end() || add == reporter.times.end() || list->second.real <= 0) continue;
        std::printf("%s: %.2f ms, listing alone %.2f ms, ratio %.2f (CPU: %.2f / %.2f ms, %.2f); target <= 5\n", name,
                    add->second.real, list->second.real, add->second.real / list->second.real, add->second.cpu,
                    list->second.cpu, add->second.cpu / list->second.cpu);
    }
    benchmark::Shutdown();
    return 0;
}
