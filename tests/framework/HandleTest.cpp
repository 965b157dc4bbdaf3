// tests/framework/HandleTest.cpp — handle owners: empty values, moves, Detach
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpenHandle(HANDLE h)
{
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

TEST(HandleOwnerTest, OwnsClosesAndMoves)
{
    CHandleOwner invalid(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(invalid.IsCreated());
    EXPECT_EQ(TRUE, invalid.Close());

    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        CHandleOwner first(raw);
        EXPECT_TRUE(first.IsCreated());
        CHandleOwner second(std::move(first));
        EXPECT_FALSE(first.IsCreated());
        EXPECT_EQ(raw, second.get());
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));

    raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        CHandleOwner owner(raw);
        EXPECT_EQ(raw, owner.Detach());
    }
    EXPECT_TRUE(IsOpenHandle(raw));

    CHandleOwner owner;
    owner.Attach(raw);
    owner.Attach(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(IsOpenHandle(raw));
    EXPECT_EQ(TRUE, owner.Close());
    EXPECT_FALSE(owner.IsCreated());
}

TEST(HandleOwnerTest, RegistryKeyOwnerReceives)
{
    CRegKeyOwner key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.Receive()));
    EXPECT_TRUE(key.IsCreated());
    EXPECT_EQ(ERROR_SUCCESS, key.Close());
    EXPECT_EQ(ERROR_SUCCESS, key.Close());
}

} // namespace
