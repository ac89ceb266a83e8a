#include "editor/shell/support/int_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

TEST(IntListTest, UnsortedWithoutDuplicatesThenSorted)
{
    TIntList list;
    EXPECT_EQ(list.Add(5), 0);
    EXPECT_EQ(list.Add(3), 1);
    EXPECT_EQ(list.Add(5), -1);
    EXPECT_EQ(list.Items(), (std::vector<int32_t>{5, 3}));
    list.SetSorted(true);
    EXPECT_EQ(list.Items(), (std::vector<int32_t>{3, 5}));
    EXPECT_EQ(list.Add(4), 1);
    EXPECT_EQ(list.Items(), (std::vector<int32_t>{3, 4, 5}));
    EXPECT_EQ(list.IndexOf(5), 2);
    EXPECT_EQ(list.IndexOf(6), -1);
    EXPECT_EQ(list.Get(0), 3);
    EXPECT_THROW(list.Get(3), std::out_of_range);
    EXPECT_THROW(list.Get(-1), std::out_of_range);
}

TEST(IntListTest, SortedDuplicatesGoAfterTheirEquals)
{
    std::vector<void *> objects;
    TString first("first"), second("second"), low("low");
    TIntList list;
    list.SetSorted(true);
    list.SetAllowDuplicates(true);
    list.SetObjects(&objects);
    EXPECT_EQ(list.AddObject(7, &first), 0);
    EXPECT_EQ(list.AddObject(7, &second), 1);
    EXPECT_EQ(list.AddObject(-2147483647 - 1, &low), 0);
    EXPECT_EQ(list.Items(), (std::vector<int32_t>{INT32_MIN, 7, 7}));
    EXPECT_EQ(objects, (std::vector<void *>{&low, &first, &second}));
    list.Delete(0);
    EXPECT_EQ(objects, (std::vector<void *>{&first, &second}));
    list.Delete(5); // out of range: nothing
    EXPECT_EQ(list.Count(), 2);
}

TEST(IntListTest, SortKeepsEachObjectWithItsInteger)
{
    std::vector<void *> objects;
    std::vector<TString> names;
    TIntList list;
    list.SetAllowDuplicates(true);
    list.SetObjects(&objects);
    uint32_t seed = 3;
    std::vector<int32_t> values;
    for (int i = 0; i < 200; ++i) {
        seed = seed * 1664525u + 1013904223u;
        values.push_back(int32_t(seed % 50) - 25);
    }
    names.reserve(values.size());
    for (int32_t v : values)
        names.emplace_back(std::to_string(v));
    for (size_t i = 0; i < values.size(); ++i)
        list.AddObject(values[i], &names[i]);
    list.Sort();
    EXPECT_TRUE(std::is_sorted(list.Items().begin(), list.Items().end()));
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(static_cast<TString *>(objects[size_t(i)])->text, std::to_string(list.Get(i)));
    // Any index holding the value.
    list.SetSorted(true);
    for (int32_t v : {-25, 0, 24})
        if (const int index = list.IndexOf(v); index >= 0) {
            EXPECT_EQ(list.Get(index), v);
        }
}

} // namespace
