// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace mv {

class ItemSource;

// What compiling one I- or V-descriptor gave.
struct DescriptorOutcome {
    std::string id;
    bool compiled = false;
    bool outOfMemory = false;  // the item was too big to compile; the others still were
    std::size_t column = 0;    // when not compiled: where the expression goes wrong
    std::string message;
    // The names the compile looked up in the dictionary: the outcome stays true until the
    // descriptor, one of these items, or an outcome of a descriptor among them changes.
    std::vector<std::string> namesLookedUp;
};

// Compiles every I- and V-descriptor among items (id and record) against all of them,
// as CD would, writing nothing. One outcome per descriptor, in the order of items.
std::vector<DescriptorOutcome> CompileDescriptors(
    const std::vector<std::pair<std::string, std::string>>& items);

// The same for the I- and V-descriptors among ids only, against the items of source,
// which the caller holds: nothing is copied, and a dictionary where one item changed is
// brought up to date by compiling that item and the descriptors that look it up.
std::vector<DescriptorOutcome> CompileDescriptors(ItemSource& source,
                                                  const std::vector<std::string>& ids);

// The dictionary items that the expression of one I- or V-descriptor names.
struct DescriptorUses {
    std::string id;
    std::vector<std::string> names;  // each once, in the order first named
    // Every name the expression looked up in the dictionary, found or not: the names
    // above change only when the descriptor or one of these items changes.
    std::vector<std::string> namesLookedUp;
};

// For every I- and V-descriptor among items (id and record), the items of the same
// dictionary its expression names directly, resolved as CD resolves them; an item named
// only through another descriptor is that descriptor's use, not this one's. An
// expression that does not compile gives the names before its first error. Nothing is
// written and nothing is run. One entry per descriptor, in the order of items.
std::vector<DescriptorUses> NamesUsedByDescriptors(
    const std::vector<std::pair<std::string, std::string>>& items);

// The same for the I- and V-descriptors among ids only, against the items of source.
std::vector<DescriptorUses> NamesUsedByDescriptors(ItemSource& source,
                                                   const std::vector<std::string>& ids);

// The first field a compile writes into an I- or V-descriptor: the fields from it on are
// the compiler's, not the user's.
int FirstCompiledField();

// Field 1 of record up to its first blank: "I" for "I Total of the lines".
std::string TypeCodeOfRecord(const std::string& record);

}  // namespace mv
