#include "ZuzuRandom.h"

#include "fuzz/per_random_value.h"
#include "protocol/schemas/TypeTable.h"

#include <fstream>

namespace Interop {

bool readZuzuWeights(std::string const& directory, ZuzuWeights& weights)
{
    std::ifstream in(directory + "/ZuzuInterop.weights");
    if (!in)
        return false;
    std::string type;
    unsigned member, weight;
    while (in >> type >> member >> weight) {
        ASN1::AbstractData::InfoType const* info = Schemas::findType(type);
        if (info == nullptr)
            return false;
        weights[{info, member}] = weight;
    }
    return in.eof();
}

void fillZuzuRandom(ASN1::AbstractData& value, std::mt19937& random, ZuzuWeights const& weights)
{
    PerFuzz::RandomOptions options;
    options.enumerationExtensions = false; // coded by number here, by position in X.691
    options.maxElements = 3;
    options.maxDepth = 12;                 // deep enough for every OPTIONAL field
    options.weight = [&weights](ASN1::AbstractData::InfoType const* type, unsigned member) {
        auto const found = weights.find({type, member});
        return found == weights.end() ? 1u : found->second;
    };
    PerFuzz::fillRandom(value, random, options);
}

} // namespace Interop
