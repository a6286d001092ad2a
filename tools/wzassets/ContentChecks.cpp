// The checks of an asset file's content that `wzassets check` runs after the structural
// check; each is one line in the list.

#include "WzAssets.h"

namespace wz::assets {

std::vector<ContentCheck> ContentChecks() {
    return {};
}

} // namespace wz::assets
