#include "protocol/asn1/value/Sequence.h"

#include "protocol/asn1/value/Visitor.h"

#include <algorithm>
#include <utility>

namespace ASN1 {

namespace {

// The option number of the field at index: the record's for a root field,
// the next numbers after the OPTIONAL root fields for the additions.
int optionNumberOf(SEQUENCE::InfoType const* record, unsigned index)
{
    if (index < record->numFields)
        return record->ids ? record->ids[index] : -1;
    return static_cast<int>(record->numOptional + (index - record->numFields));
}

AbstractData* createFrom(AbstractData::InfoType const* record)
{
    return record ? record->create(record) : nullptr;
}

bool presentIn(SEQUENCE const& seq, unsigned index, int optionNumber)
{
    if (optionNumber != -1 && !seq.hasOptionalField(static_cast<unsigned>(optionNumber)))
        return false;
    return seq.getField(index) != nullptr;
}

} // namespace

unsigned const SEQUENCE::defaultTag[1] = {0};

SEQUENCE::SEQUENCE(InfoType const* info)
    : AbstractData(info), fields_(info->numFields + info->knownExtensions), optionMap_(info->numOptional)
{
    // One pass sets every slot: a made mandatory field or null.
    unsigned set = 0;
    try {
        for (; set < info->numFields; ++set)
            fields_[set] = optionNumberOf(info, set) == -1 ? createFrom(info->fieldInfos[set]) : nullptr;
        for (; set < fields_.size(); ++set)
            fields_[set] = nullptr;
        if (info->defaultExtensionBits) {
            extensionMap_.resize(info->knownExtensions);
            for (std::size_t i = 0; i < extensionMap_.bytes().size(); ++i)
                extensionMap_.bytes()[i] = info->defaultExtensionBits[i];
            for (unsigned i = 0; i < info->knownExtensions; ++i)
                if (extensionMap_[i])
                    fields_[info->numFields + i] = createFrom(info->fieldInfos[info->numFields + i]);
        }
    } catch (...) {
        for (; set < fields_.size(); ++set)
            fields_[set] = nullptr;
        deleteFields();
        throw;
    }
}

SEQUENCE::SEQUENCE(SEQUENCE const& other)
    : AbstractData(other), fields_(static_cast<unsigned>(other.fields_.size())), optionMap_(other.optionMap_),
      extensionMap_(other.extensionMap_)
{
    for (AbstractData*& field : fields_)
        field = nullptr;
    try {
        for (std::size_t i = 0; i < fields_.size(); ++i)
            if (other.fields_[i])
                fields_[i] = other.fields_[i]->clone().release();
    } catch (...) {
        deleteFields();
        throw;
    }
}

SEQUENCE& SEQUENCE::operator=(SEQUENCE const& other)
{
    if (this != &other) {
        SEQUENCE copy(other);
        swap(copy);
    }
    return *this;
}

SEQUENCE::~SEQUENCE()
{
    for (AbstractData* field : fields_)
        delete field;
}

void SEQUENCE::deleteFields()
{
    for (AbstractData*& field : fields_) {
        delete field;
        field = nullptr;
    }
}

AbstractData* SEQUENCE::makeField(unsigned index)
{
    if (index >= fields_.size())
        return nullptr;
    if (!fields_[index])
        fields_[index] = createFrom(info()->fieldInfos[index]);
    return fields_[index];
}

char const* SEQUENCE::fieldName(unsigned index) const
{
    return index < fields_.size() && info()->fieldNames ? info()->fieldNames[index] : nullptr;
}

void SEQUENCE::includeOptionalField(unsigned optionNumber, unsigned index)
{
    if (optionNumber < optionMap_.size()) {
        optionMap_.set(optionNumber);
    } else {
        unsigned bit = optionNumber - optionMap_.size();
        if (bit >= extensionMap_.size())
            extensionMap_.resize(bit + 1);
        extensionMap_.set(bit);
    }
    makeField(index);
}

void SEQUENCE::removeOptionalField(unsigned optionNumber)
{
    if (optionNumber < optionMap_.size())
        optionMap_.clear(optionNumber);
    else
        extensionMap_.clear(optionNumber - optionMap_.size());
}

void SEQUENCE::swap(SEQUENCE& other)
{
    InfoType const* record = info();
    setInfo(other.info());
    other.setInfo(record);
    fields_.swap(other.fields_);
    optionMap_.swap(other.optionMap_);
    extensionMap_.swap(other.extensionMap_);
}

int SEQUENCE::do_compare(AbstractData const& other) const
{
    SEQUENCE const* peer = peerOf<SEQUENCE>(other);
    if (!peer)
        return compareUnrelated(other);
    std::size_t count = std::max(fields_.size(), peer->fields_.size());
    for (unsigned i = 0; i < count; ++i) {
        int optionNumber = optionNumberOf(info(), i);
        bool mine = presentIn(*this, i, optionNumber);
        bool theirs = presentIn(*peer, i, optionNumber);
        if (mine != theirs)
            return mine ? 1 : -1;
        if (mine) {
            int order = fields_[i]->compare(*peer->fields_[i]);
            if (order != 0)
                return order;
        }
    }
    return 0;
}

AbstractData* SEQUENCE::do_clone() const { return cloneThroughRecord(*this); }
bool SEQUENCE::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool SEQUENCE::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

} // namespace ASN1
