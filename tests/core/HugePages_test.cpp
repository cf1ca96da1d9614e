#include "HugePages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

bool Mapped(const void* at, size_t bytes) {
  std::vector<unsigned char> resident(bytes / 4096 + 1);
  return mincore(const_cast<void*>(at), bytes, resident.data()) == 0;
}

// The table must lie on a huge page, be usable to its last byte, and leave nothing mapped once
// given back: the aligned run is cut out of a larger mapping.
TEST(HugePagesTest, ATableIsAlignedWholeAndGivenBackWhole) {
  for (const size_t bytes : {huge_pages::kPage, huge_pages::kPage + 1, 3 * huge_pages::kPage - 5}) {
    SCOPED_TRACE(bytes);
    auto* table = static_cast<unsigned char*>(huge_pages::Map(bytes));
    const size_t size = huge_pages::Rounded(bytes);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(table) % huge_pages::kPage, 0u);
    std::memset(table, 0xA5, size);
    EXPECT_EQ(table[size - 1], 0xA5);
    huge_pages::Unmap(table, bytes);
    EXPECT_FALSE(Mapped(table, size));
    EXPECT_EQ(errno, ENOMEM);
  }
}

TEST(HugePagesTest, VectorsOfBothSizesKeepTheirElements) {
  std::vector<uint32_t, THugePageAllocator<uint32_t>> table;
  for (uint32_t i = 0; i < (3 << 20) / sizeof(uint32_t); ++i) table.push_back(i);
  for (uint32_t i = 0; i < table.size(); i += 4097) ASSERT_EQ(table[i], i);
  table.resize(10);
  table.shrink_to_fit();
  EXPECT_EQ(table[9], 9u);
}

}  // namespace
