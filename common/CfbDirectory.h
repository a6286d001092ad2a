#pragma once

// The directory of a compound file: its entries, and for each storage the sorted list of its
// children, from which the sibling tree is rebuilt balanced whenever it changes.

#include "CfbFormat.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace cfb {

class Directory {
public:
    std::vector<DirEntry> entries;

    // Walks every sibling tree from the root, iteratively, and fills the children lists.
    // kErrCorrupt for a missing root, a link past the table, an entry reached twice (which
    // covers cycles), an unused entry in a tree, a bad name, or two children of one name.
    int Index();

    // The child of storage with that name, or kNoStream.
    std::uint32_t Find(std::uint32_t storage, std::u16string_view name) const;
    const std::vector<std::uint32_t>& Children(std::uint32_t storage) const;

    // Puts entry into storage, reusing an unused slot or adding one, and rebalances the tree.
    std::uint32_t Add(std::uint32_t storage, DirEntry entry);
    // Appends entry as the last child of storage without relinking; for building a directory
    // from children that come in sibling order. Call Rebalance once they are all in.
    std::uint32_t Append(std::uint32_t storage, DirEntry entry);
    // Takes the element and everything under it out of storage and frees their slots.
    void RemoveTree(std::uint32_t storage, std::uint32_t id);
    // Relinks storage's children as a balanced tree with valid red-black colours.
    void Rebalance(std::uint32_t storage);

    // The entries of a storage's subtree, the storage itself first.
    std::vector<std::uint32_t> Subtree(std::uint32_t storage) const;

private:
    std::vector<std::vector<std::uint32_t>> children_;
};

} // namespace cfb
