// The playlist's trip texts: progress while reading, the current trip's
// figures in either units, each row's details (an unreadable clip says
// why) and the line where another drive begins, front and rear together.
#include "config/ConfigStore.h"
#include "playlist/CPlayListTreeViewUI.h"
#include "playlist/PlayListNodeModel.h"
#include "playlist/PlaylistTripFigures.h"
#include "trackindex/IndexedTrackReader.h"
#include "playlist/PlaylistView.h"
#include "support/TempFolder.h"
#include "track/TelemetryRecords.h"

#include <gtest/gtest.h>
#include <QApplication>

using testing_support::TempFolder;

namespace {

// A clip of `seconds` records a second from 10:30:00 + startSecond, driving north at 36 km/h.
std::shared_ptr<const ClipTrack> clipOf(const std::string& path, int startSecond, int seconds) {
    auto clip = std::make_shared<ClipTrack>();
    clip->path = path;
    for (int i = 0; i < seconds; ++i) {
        TrackRecord r;
        r.valid = true;
        r.year = 2016;
        r.month = 5;
        r.day = 20;
        const int t = 10 * 3600 + 30 * 60 + startSecond + i;
        r.hour = static_cast<uint8_t>(t / 3600);
        r.minute = static_cast<uint8_t>(t / 60 % 60);
        r.second = static_cast<uint8_t>(t % 60);
        r.latitude = 22.5 + (startSecond + i) * 0.00009;  // about 10 m a second
        r.longitude = 113.9;
        r.speed = 36.0f;
        clip->samples.push_back(telemetrySampleOf(r, i * 1000));
    }
    clip->figures.startClip();
    for (const TelemetrySample& sample : clip->samples) clip->figures.add(sample, DisplayZone::utc());
    return clip;
}

}  // namespace

TEST(PlaylistTripFigures, ShowsProgressFiguresRowDetailsAndDriveLines) {
    TempFolder dir;
    const std::vector<std::string> names{"2016_0520_103000_F.MP4", "2016_0520_103000_R.MP4", "2016_0520_105000_F.MP4",
                                         "2016_0520_110000_F.MP4"};
    for (const std::string& name : names) dir.write(name, "x");
    TempFolder program, documents;
    program.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\nAssociate=MP4\n");
    ConfigStore store(program.path());
    store.InitConfigPaths(documents.path());
    QWidget window;
    auto* tree = new CPlayListTreeViewUI(&window);
    PlaylistView view;
    view.Bind(tree);
    view.Controller().LoadAcceptedExtensions(store);
    view.Controller().AddFolderOfFile(dir.path(), names[0]);
    ASSERT_EQ(tree->GetCount(), 4);
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(dir.path() + name);

    PlaylistTripFigures figures(view);
    figures.ShowReadingProgress(2, 4);
    EXPECT_EQ(figures.ReadingText(), "Reading tracks 2/4");
    figures.ShowReadingProgress(4, 4);
    EXPECT_TRUE(figures.ReadingText().isEmpty());

    auto bad = std::make_shared<ClipTrack>();
    bad->path = paths[3];
    bad->problem = "has no subtitle track";
    auto cut = std::make_shared<ClipTrack>(*clipOf(paths[2], 1200, 60));
    cut->note = "has more than 2000000 track cues; only the first ones are read";
    cut->order = "samples out of time order, kept as the clip has them";
    const auto trips = TripSet::build({clipOf(paths[0], 0, 60), clipOf(paths[1], 0, 60), cut, bad});
    figures.ShowTrips(trips, paths[0]);
    EXPECT_EQ(figures.TripText().toStdString(), "2016-05-20, 10:30–10:30 · 0:00:59 · 590 m · max. 36 km/h");
    figures.SetUnits(UnitSystem::Imperial);
    EXPECT_EQ(figures.TripText().toStdString(), "2016-05-20, 10:30–10:30 · 0:00:59 · 0.4 mi · max. 22 mph");

    // Rear and front of one drive belong together; 20 minutes later is another drive.
    std::vector<bool> starts;
    for (int row = 0; row < 4; ++row) starts.push_back(tree->GetNodeAt(row)->StartsTrip());
    EXPECT_EQ(starts, (std::vector<bool>{false, false, true, false}));

    const QString details = tree->GetNodeAt(0)->GetTrackDetails();
    EXPECT_TRUE(
        details.startsWith(QString::fromStdString(paths[0]) + "\nRecorded 2016-05-20 10:30:00 – 2016-05-20 10:30:59"))
        << details.toStdString();
    EXPECT_TRUE(details.endsWith("Distance: 0.4 mi")) << details.toStdString();
    // The unreadable clip's reason, under the row's own tool tip.
    const QString tip = tree->model()->index(3, 0).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith(QString::fromStdString(names[3]) + "\n" + QString::fromStdString(paths[3])));
    EXPECT_TRUE(tip.contains("No track: has no subtitle track")) << tip.toStdString();
    // The layout the data came in, or that there was none.
    ClipTrack novatek = *trips->clip(paths[0]);
    novatek.format = TelemetryFormat::Novatek;
    EXPECT_TRUE(PlaylistTripFigures::RowDetails(paths[0], &novatek, UnitSystem::Metric, {})
                    .contains("\nNovatek GPS, 60 fixes\nRecorded"));
    ClipTrack none;
    none.problem = IndexedTrackReader::kNoData;
    EXPECT_EQ(PlaylistTripFigures::RowDetails("a.mp4", &none, UnitSystem::Metric, {}), "a.mp4\nNo GPS data found");
    // A clip read in part says what was left out, and samples out of order say so, under the row's tool tip.
    EXPECT_TRUE(tree->GetNodeAt(2)->GetTrackDetails().endsWith("\n" + QString::fromStdString(cut->note) + "\n" +
                                                               QString::fromStdString(cut->order)));
    EXPECT_TRUE(
        tree->model()->index(2, 0).data(Qt::ToolTipRole).toString().endsWith(QString::fromStdString(cut->order)));

    // The clip in no trip: no figures line.
    figures.ShowTrips(trips, paths[3]);
    EXPECT_TRUE(figures.TripText().isEmpty());
}

TEST(PlaylistTripFigures, AJumpBetweenClipsIsSaidBesideTheDistance) {
    const auto first = clipOf("a", 0, 10), second = clipOf("b", 15, 10);
    TripRoute trip;
    trip.figures.startClip();
    for (const TelemetrySample& s : first->samples) trip.figures.add(s, DisplayZone::utc());
    trip.figures.startClip();
    for (TelemetrySample s : second->samples) {
        s.latitude += 0.45;  // 50 km in 6 s
        trip.figures.add(s, DisplayZone::utc());
    }
    EXPECT_EQ(PlaylistTripFigures::FiguresLine(trip, UnitSystem::Metric, {}).toStdString(),
              "2016-05-20, 10:30–10:30 · 0:00:24 · 180 m · max. 36 km/h · a jump of 50.1 km between clips, not counted");
}
