#include "components/sequence.h"

#include <gtest/gtest.h>

namespace {

TEST(Sequence, OnlyADefaultConstructedSequenceIsOriginal) {
  Sequence original;
  original._BPM = 120.0f;
  EXPECT_TRUE(original.isOriginal);

  const Sequence copy(original);
  EXPECT_FALSE(copy.isOriginal);
  EXPECT_EQ(copy._BPM, 120.0f);

  Sequence assigned;
  assigned = original;
  EXPECT_FALSE(assigned.isOriginal);
  EXPECT_EQ(assigned._BPM, 120.0f);

  original = original;
  EXPECT_TRUE(original.isOriginal) << "self-assignment changes nothing";
}

}  // namespace
