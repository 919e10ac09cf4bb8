#pragma once

// Random ZUZU::Message values within the part of the message types whose
// coding is X.691's, as the interoperability test and the comparison
// benchmark's message set make them. zuzu_subset.py writes, at build time,
// the weights of the CHOICE alternatives and OPTIONAL fields (weight 0 for
// the members outside that part) into its output directory.
#include "protocol/asn1/ASN1.h"

#include <map>
#include <random>
#include <string>
#include <utility>

namespace Interop {

typedef std::map<std::pair<ASN1::AbstractData::InfoType const*, unsigned>, unsigned> ZuzuWeights;

// Reads the "MODULE.Type NUMBER WEIGHT" lines of DIRECTORY/ZuzuInterop.weights.
bool readZuzuWeights(std::string const& directory, ZuzuWeights& weights);

// Fills a message with random contents that both sides code alike.
void fillZuzuRandom(ASN1::AbstractData& value, std::mt19937& random, ZuzuWeights const& weights);

} // namespace Interop
