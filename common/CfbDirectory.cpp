#include "CfbDirectory.h"

#include "CfbErrors.h"

#include <algorithm>
#include <bit>

namespace cfb {

namespace {

const std::vector<std::uint32_t> kNoChildren;

bool Less(const std::vector<DirEntry>& entries, std::uint32_t a, std::uint32_t b) {
    return CompareNames(entries[a].name, entries[b].name) < 0;
}

} // namespace

int Directory::Index() {
    const std::size_t count = entries.size();
    children_.assign(count, {});
    if (count == 0 || entries[0].type != EntryType::Root) {
        return kErrCorrupt;
    }
    std::vector<bool> reached(count, false);
    reached[0] = true;
    std::vector<std::uint32_t> storages = {0};
    std::vector<std::uint32_t> pending;
    // Each entry is taken at most once, so both loops end after at most count steps whatever
    // the links say.
    while (!storages.empty()) {
        const std::uint32_t storage = storages.back();
        storages.pop_back();
        std::vector<std::uint32_t>& list = children_[storage];
        pending.assign(1, entries[storage].child);
        while (!pending.empty()) {
            const std::uint32_t id = pending.back();
            pending.pop_back();
            if (id == kNoStream) {
                continue;
            }
            if (id >= count || reached[id]) {
                return kErrCorrupt;
            }
            reached[id] = true;
            const DirEntry& e = entries[id];
            if ((e.type != EntryType::Storage && e.type != EntryType::Stream) ||
                !NameLengthValid(e.nameBytes) || e.name.empty()) {
                return kErrCorrupt;
            }
            list.push_back(id);
            if (e.type == EntryType::Storage) {
                storages.push_back(id);
            }
            pending.push_back(e.left);
            pending.push_back(e.right);
        }
        std::sort(list.begin(), list.end(),
                  [this](std::uint32_t a, std::uint32_t b) { return Less(entries, a, b); });
        for (std::size_t i = 1; i < list.size(); ++i) {
            if (!Less(entries, list[i - 1], list[i])) {
                return kErrCorrupt;
            }
        }
    }
    return kOk;
}

std::uint32_t Directory::Find(std::uint32_t storage, std::u16string_view name) const {
    const std::vector<std::uint32_t>& list = Children(storage);
    auto it = std::lower_bound(list.begin(), list.end(), name,
                               [this](std::uint32_t id, std::u16string_view n) {
                                   return CompareNames(entries[id].name, n) < 0;
                               });
    if (it != list.end() && CompareNames(entries[*it].name, name) == 0) {
        return *it;
    }
    return kNoStream;
}

const std::vector<std::uint32_t>& Directory::Children(std::uint32_t storage) const {
    return storage < children_.size() ? children_[storage] : kNoChildren;
}

std::uint32_t Directory::Add(std::uint32_t storage, DirEntry entry) {
    std::uint32_t id = 1;
    while (id < entries.size() && entries[id].type != EntryType::Unused) {
        ++id;
    }
    if (id >= entries.size()) {
        id = static_cast<std::uint32_t>(entries.size());
        entries.push_back(UnusedEntry());
    }
    entries[id] = std::move(entry);
    if (children_.size() < entries.size()) {
        children_.resize(entries.size());
    }
    children_[id].clear();
    std::vector<std::uint32_t>& list = children_[storage];
    auto it =
        std::lower_bound(list.begin(), list.end(), id,
                         [this](std::uint32_t a, std::uint32_t b) { return Less(entries, a, b); });
    list.insert(it, id);
    Rebalance(storage);
    return id;
}

std::uint32_t Directory::Append(std::uint32_t storage, DirEntry entry) {
    const auto id = static_cast<std::uint32_t>(entries.size());
    entries.push_back(std::move(entry));
    children_.resize(entries.size());
    children_[storage].push_back(id);
    return id;
}

void Directory::RemoveTree(std::uint32_t storage, std::uint32_t id) {
    for (std::uint32_t gone : Subtree(id)) {
        entries[gone] = UnusedEntry();
        children_[gone].clear();
    }
    std::vector<std::uint32_t>& list = children_[storage];
    list.erase(std::remove(list.begin(), list.end(), id), list.end());
    Rebalance(storage);
}

void Directory::Rebalance(std::uint32_t storage) {
    const std::vector<std::uint32_t>& list = children_[storage];
    // A tree built by halving has every level full but possibly the last one. With the full
    // levels black and the last level red, every path from the top to an empty link passes
    // the same number of black entries, and no red entry has a red child.
    const std::size_t n = list.size();
    const int fullLevels = n == 0 ? 0 : static_cast<int>(std::bit_width(n + 1)) - 1;
    struct Range {
        std::size_t lo, hi;
        int depth;
        std::uint32_t* link;
    };
    std::vector<Range> work;
    work.push_back({0, n, 0, &entries[storage].child});
    while (!work.empty()) {
        const Range r = work.back();
        work.pop_back();
        if (r.lo >= r.hi) {
            *r.link = kNoStream;
            continue;
        }
        const std::size_t mid = r.lo + (r.hi - r.lo) / 2;
        const std::uint32_t id = list[mid];
        DirEntry& e = entries[id];
        *r.link = id;
        e.color = r.depth < fullLevels ? kBlack : kRed;
        work.push_back({r.lo, mid, r.depth + 1, &e.left});
        work.push_back({mid + 1, r.hi, r.depth + 1, &e.right});
    }
}

std::vector<std::uint32_t> Directory::Subtree(std::uint32_t storage) const {
    std::vector<std::uint32_t> out = {storage};
    for (std::size_t i = 0; i < out.size(); ++i) {
        for (std::uint32_t child : Children(out[i])) {
            out.push_back(child);
        }
    }
    return out;
}

} // namespace cfb
