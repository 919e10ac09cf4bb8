#include "protocol/asn1/value/OpenData.h"

#include "protocol/asn1/value/Visitor.h"

namespace ASN1 {

OpenData::InfoType const OpenData::theInfo = {&createAs<OpenData>, 0};

OpenData::OpenData(OpenData const& other)
    : AbstractData(other), data_(other.data_ ? other.data_->clone() : nullptr),
      buf_(other.buf_ ? std::make_unique<std::vector<char>>(*other.buf_) : nullptr)
{
}

OpenData& OpenData::operator=(OpenData const& other)
{
    if (this != &other) {
        OpenData copy(other);
        swap(copy);
    }
    return *this;
}

std::vector<char>& OpenData::make_buf()
{
    if (!buf_)
        buf_ = std::make_unique<std::vector<char>>();
    return *buf_;
}

void OpenData::swap(OpenData& other)
{
    InfoType const* record = info();
    setInfo(other.info());
    other.setInfo(record);
    data_.swap(other.data_);
    buf_.swap(other.buf_);
}

int OpenData::do_compare(AbstractData const& other) const
{
    OpenData const* peer = peerOf<OpenData>(other);
    if (!peer)
        return compareUnrelated(other);
    if (data_ && peer->data_)
        return data_->compare(*peer->data_);
    if (buf_ && peer->buf_)
        return compareOctets(buf_->data(), buf_->size(), peer->buf_->data(), peer->buf_->size());
    // Otherwise a contained value sorts after none, then octets after none.
    if (data_ || peer->data_)
        return compareValues(data_ != nullptr, peer->data_ != nullptr);
    return compareValues(buf_ != nullptr, peer->buf_ != nullptr);
}

AbstractData* OpenData::do_clone() const { return cloneThroughRecord(*this); }
bool OpenData::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool OpenData::do_accept(ConstVisitor& visitor) const { return visitor.visit(*this); }

TypeConstrainedOpenData::TypeConstrainedOpenData(InfoType const* info) : OpenData(info)
{
    if (info->containedInfo)
        set_data(std::unique_ptr<AbstractData>(info->containedInfo->create(info->containedInfo)));
}

AbstractData* TypeConstrainedOpenData::do_clone() const { return cloneThroughRecord<OpenData>(*this); }
bool TypeConstrainedOpenData::do_accept(Visitor& visitor) { return visitor.visit(*this); }
bool TypeConstrainedOpenData::do_accept(ConstVisitor& visitor) const { return visitor.visit(static_cast<OpenData const&>(*this)); }

} // namespace ASN1
