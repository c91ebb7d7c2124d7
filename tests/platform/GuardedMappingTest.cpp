#include "platform/GuardedMapping.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

TEST(GuardedMapping, CopiesWhatPreadReadsAndFailsSoundlyOnceTheFileShrinks) {
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "no mapping under the thread checker (the readers read instead)";
#endif
    testing_support::TempFolder tmp;
    std::string bytes(3 * 4096 + 100, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    const std::string path = tmp.write("clip.mp4", bytes);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);

    platform::GuardedMapping mapping;
    EXPECT_FALSE(platform::GuardedMapping().map(fd, 0));
    ASSERT_TRUE(mapping.map(fd, bytes.size()));
    for (const auto& [offset, n] : {std::pair<uint64_t, size_t>{0, 512}, {4000, 200}, {bytes.size() - 7, 7}}) {
        std::string mapped(n, '\0'), read(n, '\0');
        ASSERT_TRUE(mapping.copy(offset, n, mapped.data()));
        ASSERT_EQ(::pread(fd, read.data(), n, static_cast<off_t>(offset)), static_cast<ssize_t>(n));
        EXPECT_EQ(mapped, read) << offset;
    }
    char out[16];
    EXPECT_FALSE(mapping.copy(bytes.size() - 7, 8, out));
    EXPECT_FALSE(mapping.copy(UINT64_MAX, 1, out));

    // Another program cuts the file short while it is mapped.
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    EXPECT_FALSE(mapping.copy(0, sizeof out, out));
    EXPECT_FALSE(mapping.copy(2 * 4096, sizeof out, out));
    ::close(fd);
}
