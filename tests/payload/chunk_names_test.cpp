#include "payload/chunk_names.h"

#include <gtest/gtest.h>

TEST(ChunkNames, BaseUnderscoreAndDecimalIndex)
{
    EXPECT_EQ(chunkName("JAR", 1), "JAR_1");
    EXPECT_EQ(chunkName("JAR", 10), "JAR_10");
    EXPECT_EQ(chunkName("JAVA", 49), "JAVA_49");
    EXPECT_EQ(chunkName("JAR", 9999), "JAR_9999");
}

TEST(ChunkNames, OutOfRangeIndexOrOverlongNameGivesNoName)
{
    EXPECT_EQ(chunkName("JAR", 0), "");
    EXPECT_EQ(chunkName("JAR", 10000), "");
    EXPECT_EQ(chunkName(std::string(122, 'B'), 9999), std::string(122, 'B') + "_9999");  // 127
    EXPECT_EQ(chunkName(std::string(123, 'B'), 9999), "");                               // 128
}

TEST(ChunkNames, ProgressAfterChunkCountsFromTheChunkBefore)
{
    EXPECT_EQ(progressAfterChunk(1, 1), 0);
    EXPECT_EQ(progressAfterChunk(6, 6), 83);
    EXPECT_EQ(progressAfterChunk(49, 49), 97);
    EXPECT_EQ(progressAfterChunk(9999, 9999), 99);
}
