#include "protocol/schemas/TypeTable.h"

#include <algorithm>

namespace Schemas {

ASN1::AbstractData::InfoType const* findType(std::string_view qualifiedName)
{
    TypeEntry const* end = typeTable + typeCount;
    TypeEntry const* found = std::lower_bound(typeTable, end, qualifiedName,
        [](TypeEntry const& entry, std::string_view name) { return std::string_view(entry.name) < name; });
    return found != end && qualifiedName == found->name ? found->info : nullptr;
}

} // namespace Schemas
