#include "platform/RecordingMessageTarget.h"
#include "track/CoordinateConversion.h"
#include "track/TrackBatchProcessor.h"
#include "track/TrackEvents.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

using platform::WM_TRACK_EVENT;

namespace {

TrackTextSlot slotOf(const std::string& text) {
    TrackTextSlot slot{};
    std::memcpy(slot.data(), text.data(), std::min(text.size(), slot.size() - 1));
    return slot;
}

std::string textAt(int second) {
    char text[96];
    std::snprintf(text, sizeof text, "2016-05-20 10:%02d:%02d/E113 56 12.34/N22 33 44.50/23.5/X:%d/Y:0/Z:0",
                  second / 60 % 60, second % 60, second);
    return text;
}

std::vector<TrackTextSlot> batchFrom(int first, int count) {
    std::vector<TrackTextSlot> slots;
    for (int i = 0; i < count; ++i) slots.push_back(slotOf(textAt(first + i)));
    return slots;
}

struct Fixture : ::testing::Test {
    Fixture() {
        processor.setStore(&store);
        processor.setTarget(&target);
    }
    std::vector<uintptr_t> codes() const {
        std::vector<uintptr_t> out;
        for (const auto& m : target.messagesOf(WM_TRACK_EVENT)) out.push_back(m.wParam);
        return out;
    }

    std::atomic<bool> stopping{false};
    std::atomic<bool> stopPending{true};
    TrackStore store;
    platform::RecordingMessageTarget target;
    TrackBatchProcessor processor{[this] { return stopping.load(); }, [this] { stopPending = false; }};
};

using TrackBatchProcessorTest = Fixture;

}  // namespace

TEST_F(TrackBatchProcessorTest, FullBatchesBecomePublishedConvertedPages) {
    processor.setConversion(TrackMapConversion::Baidu);
    processor.beginRun();
    const auto first = batchFrom(0, 64);
    EXPECT_EQ(processor.processBatch(0, first), 1);
    EXPECT_EQ(store.getReadyPages(), 1);
    EXPECT_FALSE(stopPending);
    EXPECT_EQ(codes(), (std::vector<uintptr_t>{TRACK_BATCH_READY, TRACK_FIRST_BATCH_DONE}));

    stopPending = true;
    const auto second = batchFrom(64, 64);
    EXPECT_EQ(processor.processBatch(1, second), 1);
    EXPECT_EQ(store.getReadyPages(), 2);
    EXPECT_TRUE(stopPending);  // only the first batch of a run clears it
    EXPECT_EQ(target.countOf(WM_TRACK_EVENT, TRACK_BATCH_READY), 2u);
    EXPECT_EQ(target.countOf(WM_TRACK_EVENT, TRACK_FIRST_BATCH_DONE), 1u);

    const TrackRecord& r = store.getPage(1)->records()[5];
    EXPECT_EQ(r.accelX, 69);
    TrackRecord expected = r;
    convertPageBaidu(&expected, 1);
    EXPECT_EQ(r.mapLatitude, expected.mapLatitude);
    EXPECT_EQ(r.mapLongitude, expected.mapLongitude);
    EXPECT_NE(r.mapLatitude, r.latitude);
}

TEST_F(TrackBatchProcessorTest, FinalShortBatchIsPublishedAfterConversion) {
    processor.beginRun();  // default conversion: copy, for WGS-84 maps
    EXPECT_EQ(processor.processBatch(0, batchFrom(0, 64)), 1);
    EXPECT_EQ(processor.processBatch(1, batchFrom(64, 11)), 1);
    EXPECT_EQ(store.getReadyPages(), 2);
    EXPECT_EQ(store.getPage(1)->count(), 11);
    const TrackRecord& last = store.getPage(1)->records()[10];
    EXPECT_EQ(last.accelX, 74);
    EXPECT_EQ(last.mapLatitude, last.latitude);
    EXPECT_EQ(last.mapLongitude, last.longitude);
}

TEST_F(TrackBatchProcessorTest, EmptyUnterminatedAndPaddedSlots) {
    std::vector<TrackTextSlot> slots(3);
    slots[0].fill('\0');
    slots[1].fill('7');  // no terminator: read up to the slot's end
    const std::string text = textAt(3);
    std::memcpy(slots[2].data() + 5, text.data(), text.size());  // leading zero bytes are skipped
    processor.beginRun();
    EXPECT_EQ(processor.processBatch(0, slots), 1);
    const TrackPage* page = store.getPage(0);
    ASSERT_EQ(page->count(), 3);
    EXPECT_FALSE(page->records()[0].valid);
    EXPECT_FALSE(page->records()[1].valid);
    EXPECT_TRUE(page->records()[2].valid);
    EXPECT_EQ(page->records()[2].accelX, 3);
}

TEST_F(TrackBatchProcessorTest, StoppingRunPublishesAndPostsNothing) {
    processor.beginRun();
    stopping = true;
    EXPECT_EQ(processor.processBatch(0, batchFrom(0, 64)), -1);
    EXPECT_EQ(store.getPage(0)->count(), 0);
    EXPECT_EQ(store.getReadyPages(), 0);
    EXPECT_TRUE(stopPending);
    EXPECT_TRUE(codes().empty());
}

TEST_F(TrackBatchProcessorTest, RunOfAClearedStoreIsDropped) {
    processor.beginRun();
    EXPECT_EQ(processor.processBatch(0, batchFrom(0, 64)), 1);
    store.clear();  // the window cleared the track while the run goes on
    target.clear();
    EXPECT_EQ(processor.processBatch(1, batchFrom(64, 64)), -1);
    EXPECT_EQ(store.getPage(0)->count(), 0);
    EXPECT_EQ(store.getPage(1)->count(), 0);
    EXPECT_EQ(store.getReadyPages(), 0);
    EXPECT_TRUE(codes().empty());

    processor.beginRun();  // the next run
    EXPECT_EQ(processor.processBatch(0, batchFrom(0, 5)), 1);
    EXPECT_EQ(store.getReadyPages(), 1);
}

TEST_F(TrackBatchProcessorTest, WithoutStoreOrTargetNothingHappens) {
    TrackBatchProcessor lone;
    EXPECT_EQ(lone.processBatch(0, batchFrom(0, 3)), 0);
    processor.setTarget(nullptr);
    processor.beginRun();
    EXPECT_EQ(processor.processBatch(0, batchFrom(0, 3)), 1);
    EXPECT_EQ(store.getReadyPages(), 1);
    EXPECT_TRUE(codes().empty());
    // A batch index past the allocated pages has no page: nothing is posted.
    processor.setTarget(&target);
    EXPECT_EQ(processor.processBatch(40, batchFrom(3, 3)), 0);
    EXPECT_TRUE(codes().empty());
}
