#include "engine/core/Array.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

// An owner whose deleter writes down what it frees.
struct Recorder
{
    std::string* gone;
    void operator()(char* name) const
    {
        gone->push_back(*name);
        delete name;
    }
};
using Owner = std::unique_ptr<char, Recorder>;

std::string Names(const Array<Owner>& array)
{
    std::string names;
    for (const Owner& item : array)
        names.push_back(*item);
    return names;
}

} // namespace

TEST(Array, OwnersKeepTheirOrderGrowByTheStepAndAreFreedOnce)
{
    std::string gone;
    Array<Owner> array(0, 2);
    EXPECT_EQ(array.Capacity(), 0u);
    const struct
    {
        char name;
        int32_t at; // -1 appends
        const char* order;
        uint32_t capacity;
    } steps[] = {{'b', -1, "b", 2}, {'d', -1, "bd", 2}, {'a', 0, "abd", 4}, {'c', 2, "abcd", 4}, {'e', 4, "abcde", 6}};
    for (const auto& step : steps)
    {
        Owner item(new char(step.name), Recorder{&gone});
        ASSERT_EQ(step.at < 0 ? array.Append(std::move(item)) : array.Insert(static_cast<uint32_t>(step.at), std::move(item)),
                  0);
        EXPECT_EQ(item, nullptr); // taken
        EXPECT_EQ(Names(array), step.order);
        EXPECT_EQ(array.Capacity(), step.capacity);
    }
    EXPECT_TRUE(gone.empty()); // growing moves the owners, it frees nothing

    array.RemoveAt(1);
    EXPECT_EQ(Names(array), "acde");
    EXPECT_EQ(gone, "b");

    Array<Owner> taken = std::move(array);
    EXPECT_TRUE(array.IsEmpty());
    taken.Clear();
    EXPECT_EQ(gone, "bacde");
    EXPECT_EQ(taken.Capacity(), 6u);
}

TEST(Array, AnEntryAppendedToItsOwnFullArrayIsCopiedBeforeItMoves)
{
    const std::string text(40, 'x'); // long enough to live on the heap
    Array<std::string> array(1, 1);
    array.Append(text);
    ASSERT_EQ(array.Append(array[0]), 0);
    EXPECT_EQ(array[1], text);
    EXPECT_EQ(array.Find(text), 0);
    EXPECT_EQ(array.Find(std::string("y")), -1);
}
