// What the system interface makes of paths, on this system.

#include <gtest/gtest.h>

#include "common/system.hpp"

namespace {

TEST(Paths, FolderAndNameOfABlock) {
    EXPECT_EQ(sys::folderOf("block.txt"), ".");
    EXPECT_EQ(sys::folderOf("sub/block.txt"), "sub");
    EXPECT_EQ(sys::folderOf("a/b/block.txt"), "a/b");
    EXPECT_EQ(sys::folderOf("/block.txt"), "/");  // the root, whose only name is its separator
    EXPECT_EQ(sys::folderOf("/x/block.txt"), "/x");
    EXPECT_EQ(sys::nameInFolder("block.txt"), "block.txt");
    EXPECT_EQ(sys::nameInFolder("a/b/block.txt"), "block.txt");
    EXPECT_EQ(sys::nameInFolder("/block.txt"), "block.txt");
}

}  // namespace
