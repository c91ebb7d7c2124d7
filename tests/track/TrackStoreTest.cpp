#include "track/TrackStore.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// A record that carries its place in the track, so readers can check it.
TrackRecord numbered(int32_t index) {
    TrackRecord r;
    r.valid = true;
    r.accelX = index;
    return r;
}

void addNumbered(TrackStore& store, int32_t from, int32_t count) {
    for (int32_t i = from; i < from + count; ++i) {
        const TrackRecord r = numbered(i);
        ASSERT_TRUE(store.add(&r));
    }
}

}  // namespace

TEST(TrackStore, FullPageIsVisibleOnlyOncePublished) {
    TrackStore store;
    addNumbered(store, 0, 64);
    EXPECT_EQ(store.getCurrentPage(), 1);
    EXPECT_EQ(store.getReadyPages(), 0);  // records there, map coordinates not yet
    int calls = 0;
    ASSERT_EQ(store.publishPage(store.generation(), 0,
                                [&](TrackPage& page) {
                                    ++calls;
                                    EXPECT_EQ(page.count(), 64);
                                    return true;
                                }),
              1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(store.getReadyPages(), 1);

    addNumbered(store, 64, 1);
    EXPECT_EQ(store.getPage(1)->count(), 1);
    EXPECT_EQ(store.getPage(1)->records()[0].accelX, 64);
}

TEST(TrackStore, ShortPagePublishedIsClosed) {
    TrackStore store;
    addNumbered(store, 0, 10);
    bool ok = false;
    ASSERT_EQ(store.publishPage(
                  store.generation(), 0, [](TrackPage&) { return false; }, &ok),
              1);
    EXPECT_FALSE(ok);
    EXPECT_EQ(store.getReadyPages(), 1);
    addNumbered(store, 10, 1);
    EXPECT_EQ(store.getPage(0)->count(), 10);
    EXPECT_EQ(store.getPage(1)->count(), 1);
    EXPECT_EQ(store.publishPage(store.generation(), 99, nullptr), 0);
    EXPECT_EQ(store.getReadyPages(), 1);
}

TEST(TrackStore, GrowsBeyondFivePagesWithoutMovingThem) {
    TrackStore store;
    EXPECT_EQ(store.getPageCount(), 5);
    const TrackPage* first = store.getPage(0);
    addNumbered(store, 0, 321);
    EXPECT_EQ(store.getPageCount(), 6);
    EXPECT_EQ(store.getPage(0), first);
    EXPECT_EQ(store.getPage(5)->count(), 1);
    EXPECT_EQ(store.getPage(5)->records()[0].accelX, 320);
    EXPECT_EQ(store.getPage(-1), nullptr);
    EXPECT_EQ(store.getPage(6), nullptr);
    EXPECT_FALSE(store.add(nullptr));
}

TEST(TrackStore, ClearEmptiesPagesKeepsThemAndRefusesTheOldGeneration) {
    TrackStore store;
    addNumbered(store, 0, 400);
    store.publishPage(store.generation(), 5, nullptr);
    store.setShownPages(3);
    const uint64_t old = store.generation();
    store.clear();
    EXPECT_EQ(store.getPageCount(), 7);
    for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(store.getPage(i)->count(), 0);
    EXPECT_EQ(store.getCurrentPage(), 0);
    EXPECT_EQ(store.getReadyPages(), 0);
    EXPECT_EQ(store.getShownPages(), 0);

    const TrackRecord r = numbered(1);
    EXPECT_FALSE(store.add(&r, old));
    EXPECT_EQ(store.publishPage(old, 0, nullptr), -1);
    EXPECT_EQ(store.getPage(0)->count(), 0);
    EXPECT_EQ(store.getReadyPages(), 0);
    EXPECT_TRUE(store.add(&r, store.generation()));
}

TEST(TrackStoreConcurrency, ReaderOfPublishedPagesWhileTheListGrows) {
    TrackStore store;
    constexpr int32_t kPages = 60;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        const uint64_t generation = store.generation();
        for (int32_t p = 0; p < kPages; ++p) {
            for (int32_t i = 0; i < 64; ++i) {
                const TrackRecord r = numbered(p * 64 + i);
                store.add(&r, generation);
            }
            std::this_thread::yield();  // the pipe thread may lose the processor here
            store.publishPage(generation, p, [](TrackPage& page) {
                for (int32_t i = 0; i < page.count(); ++i) page.records()[i].mapLatitude = 1.0;
                return true;
            });
        }
        done = true;
    });

    int32_t shown = 0;
    bool consistent = true;
    while (!done || shown < store.getReadyPages()) {
        const int32_t ready = store.getReadyPages();
        for (int32_t p = shown; p < ready; ++p) {
            const TrackPage* page = store.getPage(p);
            if (page == nullptr || page->count() != 64)
                consistent = false;
            else
                for (int32_t i = 0; i < 64; ++i)
                    consistent =
                        consistent && page->records()[i].accelX == p * 64 + i && page->records()[i].mapLatitude == 1.0;
        }
        shown = ready;
        store.setShownPages(ready);
        (void)store.getPageCount();
    }
    producer.join();
    EXPECT_TRUE(consistent);
    EXPECT_EQ(shown, kPages);
}

// The main window may clear the store while a run's pipe thread is still
// adding: the old run's records must not leak into the new track.
TEST(TrackStoreConcurrency, ClearWhileAProducerAdds) {
    TrackStore store;
    std::atomic<uint64_t> runGeneration{store.generation()};
    std::atomic<bool> stop{false};
    std::thread producer([&] {
        while (!stop) {
            const uint64_t generation = runGeneration.load();
            // Each run writes its generation into every record.
            for (int32_t p = 0; p < 8 && !stop; ++p) {
                for (int32_t i = 0; i < 64; ++i) {
                    TrackRecord r = numbered(static_cast<int32_t>(generation));
                    store.add(&r, generation);
                }
                store.publishPage(generation, p, nullptr);
            }
        }
    });

    bool clean = true;
    for (int round = 0; round < 200 && clean; ++round) {
        store.clear();
        runGeneration = store.generation();
        // Let the new run publish pages while the old one may still be adding.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (store.getReadyPages() < 3 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        const int32_t ready = store.getReadyPages();
        if (ready < 3) {
            ADD_FAILURE() << "the producer published nothing";
            break;
        }
        for (int32_t p = 0; p < ready; ++p) {
            const TrackPage* page = store.getPage(p);
            for (int32_t i = 0; i < page->count(); ++i)
                clean = clean && page->records()[i].accelX == static_cast<int32_t>(store.generation());
        }
    }
    stop = true;
    producer.join();
    EXPECT_TRUE(clean);
    EXPECT_LE(store.getCurrentPage(), store.getPageCount());
}
