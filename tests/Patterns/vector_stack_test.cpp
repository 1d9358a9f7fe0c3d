// The fixed-capacity stack of the program patterns.
#include "Patterns/seVectorStack.h"

#include <gtest/gtest.h>

TEST(VectorStack, PushPopAndSizeFollowTheTopIndex)
{
    seVectorStack<int> s(3);
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(s.size(), 0);
    EXPECT_TRUE(s.push(4));
    EXPECT_TRUE(s.push(7));
    EXPECT_EQ(s.size(), 2);
    EXPECT_EQ(s.top(), 7);
    EXPECT_EQ(s.second(), 4);
    EXPECT_EQ(s.pop(), 7);
    EXPECT_EQ(s.top(), 4);
    s.clear();
    EXPECT_TRUE(s.empty());
}

TEST(VectorStack, FullStackRefusesInsteadOfOverflowing)
{
    seVectorStack<float> s(2);
    EXPECT_TRUE(s.push(1.0f));
    EXPECT_TRUE(s.push(2.0f));
    EXPECT_FALSE(s.push(3.0f));
    EXPECT_EQ(s.size(), 2);
    EXPECT_EQ(s.top(), 2.0f);
}

TEST(VectorStack, EmptyStackReadsAreHarmless)
{
    seVectorStack<int> s(1);
    EXPECT_EQ(s.pop(), 0);
    EXPECT_EQ(s.size(), 0);
    s.top() = 5;  // writes a scratch slot, not the storage
    EXPECT_TRUE(s.empty());
    seVectorStack<int> none(0);
    EXPECT_FALSE(none.push(1));
    EXPECT_EQ(none.capacity(), 0);
}
